// The shortcut table and the reader of link.dat.
//
// Pure text handling: no Win32 here, so the native build and the tests can
// use it as it stands.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <string_view>

// Key text to command text, ordered byte by byte. std::less<> lets a lookup
// take a string_view without building a std::string first.
using ShortcutTable = std::map<std::string, std::string, std::less<>>;

// The one table of the process.
extern ShortcutTable gShortcutTable;

constexpr char kCtrlZ = '\x1A';

// Splits raw file bytes into the lines the launcher sees: every CR is
// dropped wherever it stands, a Ctrl-Z ends the data (the text before it on
// its line is still a line), and a physical line is delivered whole however
// long it is. The last line needs no line feed.
class LinkLineReader {
public:
    explicit LinkLineReader(std::FILE* file) : file_(file) { }

    // The next line without its line feed; false at the end of the data. The
    // view stays valid until the next call.
    bool Next(std::string_view& line);

    // Physical number (from 1) of the line Next returned last.
    std::size_t LineNumber() const { return lineNumber_; }

    // True when a Ctrl-Z ended the data before the end of the file.
    bool StoppedAtCtrlZ() const { return stoppedAtCtrlZ_; }

private:
    bool Refill();

    static constexpr std::size_t kChunkSize = std::size_t{64} * 1024;

    std::FILE* file_;
    char chunk_[kChunkSize];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string pending_;  // a line that spans chunks or holds CRs
    bool pendingOpen_ = false;
    bool returnedPending_ = false;
    bool endOfData_ = false;
    bool stoppedAtCtrlZ_ = false;
    std::size_t lineNumber_ = 0;
};

enum class LineKind {
    Entry,            // key, blanks, command text
    Empty,            // nothing before the line end (or before a NUL)
    NoBlank,          // no TAB or SPACE after the key
    StartsWithBlank,  // the key would be empty
    NoCommand,        // only blanks after the key
};

struct ParsedLine {
    LineKind kind = LineKind::Empty;
    std::string_view key;      // as written, not yet upper-cased
    std::string_view command;  // trailing blanks kept
    bool hadNul = false;       // a NUL cut the line's text short
};

inline bool IsBlank(char c)
{
    return c == '\t' || c == ' ';
}

// Reads one line as given by LinkLineReader.
ParsedLine ParseLinkLine(std::string_view line);

// The one case rule of keys: a-z become A-Z; every other byte stays as it is.
inline char UpperCaseKeyByte(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void UpperCaseKey(std::string& key);

// Merges one line into the table: a new key is added, a known key gets the
// new value. Lines that are no entry change nothing.
void MergeLinkLine(ShortcutTable& table, std::string_view line);

// Merges every entry of an open file (binary mode) into the table, never
// clearing it first.
void MergeLinkStream(ShortcutTable& table, std::FILE* file);

// The same for the file at path. False when the file cannot be opened (the
// table is untouched).
bool MergeLinkFile(ShortcutTable& table, const char* path);

// Exact, byte-wise lookup; null when the text is no key.
const std::string* FindCommand(const ShortcutTable& table, std::string_view key);
