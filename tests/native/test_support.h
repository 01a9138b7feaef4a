// Helpers shared by the native tests: a private temporary directory and a
// readable, shortened form of raw bytes for assertion messages (GoogleTest
// prints the actual values itself).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

// A directory of the test's own under the system's temporary directory,
// removed with its contents when the test ends.
class TempDir {
public:
    TempDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kerrow-test.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes bytes to a file in the directory and returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const
    {
        const std::string file = (path_ / name).string();
        std::ofstream(file, std::ios::binary).write(bytes.data(), bytes.size());
        return file;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadWhole(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Printable ASCII as it is, everything else escaped; long text shortened.
inline std::string Shown(std::string_view bytes)
{
    constexpr std::size_t kShownLength = 80;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string shown = "\"";
    for (const char c : bytes.substr(0, kShownLength)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t')
            shown += "\\t";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\\' || c == '"')
            shown += std::string("\\") + c;
        else if (byte >= 0x20 && byte < 0x7F)
            shown += c;
        else
            shown += std::string("\\x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
    }
    shown += "\"";
    if (bytes.size() > kShownLength)
        shown += "... (" + std::to_string(bytes.size()) + " bytes)";
    return shown;
}

// Collects what is written to a FILE*, for the checker's two output streams.
class CapturedStream {
public:
    CapturedStream() : file_(open_memstream(&data_, &size_)) { }
    ~CapturedStream()
    {
        std::fclose(file_);
        std::free(data_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* File() const { return file_; }
    std::string Text()
    {
        std::fflush(file_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};
