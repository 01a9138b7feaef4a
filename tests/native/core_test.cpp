// The text core: link.dat bytes in, table out; the split of a value and its
// working directory (the built-in names are checked through kerrow-check, on
// tests/data/reader.dat). And kerrow-check's rule for a file that looks like
// UTF-8.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <fstream>

#include "commands/command_text.h"
#include "link_check.h"
#include "table/shortcut_table.h"

namespace {

constexpr std::size_t kChunk = std::size_t{64} * 1024;  // the reader's read size

// Merges bytes, written as a file, into table.
void MergeBytes(ShortcutTable& table, const std::string& bytes)
{
    const std::string path = "/tmp/kerrow-test-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_TRUE(MergeLinkFile(table, path.c_str()));
    unlink(path.c_str());
}

// Keys and the lengths of their commands, for messages.
std::string Show(const ShortcutTable& table)
{
    std::string text;
    for (const auto& [key, command] : table)
        text += key + ":" + std::to_string(command.size()) + " ";
    return text;
}

// The reader's rules line by line are checked on tests/data/reader.dat
// (kerrow_check_files), the edges of its chunks below. A reload merges into
// the table it had, a later line winning; a missing file leaves it as it was.
TEST(LinkFile, MergesIntoTheTableItHad)
{
    ShortcutTable table = {{"A", "a"}, {"B", "b"}};
    const ShortcutTable merged = {{"A", "a"}, {"B", "b2"}, {"C", "c"}};
    MergeBytes(table, "b\tb2\nC\tc\n");
    EXPECT_EQ(table, merged);
    EXPECT_FALSE(MergeLinkFile(table, "/tmp/kerrow-test-missing/link.dat"));
    EXPECT_EQ(table, merged) << "a missing file changed the table";
}

// A file whose first line F ends in TAIL, placed so that each byte of TAIL in
// turn is the first of the reader's second chunk: the line end, a CR or a
// Ctrl-Z on the edge, a line and its CR across it.
TEST(LinkFile, LinesAcrossTheReadersChunkEdge)
{
    const std::tuple<std::string, std::string, ShortcutTable> rows[] = {
        // TAIL, what F's command ends in, the other entries
        {"\r\nB\tb\r\n", "", {{"B", "b"}}},
        {"xy\nB\tb", "xy", {{"B", "b"}}},
        {"x\ry\r\nB\tb\n", "xy", {{"B", "b"}}},
        {"x\x1A\nB\tb\n", "x", {}},
        {"\n\x1A\nB\tb", "", {}}};
    for (const auto& [tail, end, others] : rows) {
        for (std::size_t k = 0; k <= tail.size(); ++k) {
            const std::string fill(kChunk - 2 - k, 'f');
            ShortcutTable table, expected = others;
            expected["F"] = fill + end;
            MergeBytes(table, "F\t" + fill + tail);
            EXPECT_TRUE(table == expected)
                << "byte " << k << " of " << tail << " starts the chunk: " << Show(table)
                << "instead of " << Show(expected);
        }
    }
}

// A value splits at its first TAB (null arguments: no TAB; null command:
// refused), and its command's folder ends at the last backslash.
TEST(CommandText, SplitAndWorkingDirectory)
{
    const std::string fits(kCommandBufferSize - 1, 'x');
    const std::tuple<std::string, const char*, const char*, const char*> rows[] = {
        {"C:\\tools\\app.exe\t-x", "C:\\tools\\app.exe", "-x", "C:\\tools\\"},
        {"app.exe\t \t -x y \t", "app.exe", "-x y \t", "app.exe"},
        {"C:\\a\\b c.exe\t\t ", "C:\\a\\b c.exe", "", "C:\\a\\"},
        {"\\\\server\\share\\a b.exe  ", "\\\\server\\share\\a b.exe  ", nullptr,
         "\\\\server\\share\\"},
        {"C:/a b\tc\td", "C:/a b", "c\td", "C:/a b"},
        {fits, fits.c_str(), nullptr, fits.c_str()},
        {fits + "x", nullptr, nullptr, nullptr},
        {"a.exe\t" + fits, nullptr, nullptr, nullptr},
    };
    for (const auto& [value, command, arguments, folder] : rows) {
        char text[kCommandBufferSize], directory[kCommandBufferSize];
        std::memset(text, '?', sizeof text);
        const char* split = "stale";
        EXPECT_EQ(SplitCommandValue(value, text, split), command != nullptr) << value;
        EXPECT_STREQ(text, command ? command : "") << value;
        EXPECT_STREQ(split, arguments) << value;
        WorkingDirectoryOf(text, directory);
        EXPECT_STREQ(directory, folder ? folder : "") << value;
    }
}

// Only well-formed UTF-8 looks like UTF-8 (text in it and in Windows-1252 is
// on tests/data): no overlong form, surrogate, code point past U+10FFFF, or
// sequence cut short or too long.
TEST(LinkCheck, OnlyWellFormedUtf8IsUtf8)
{
    for (const std::string text : {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                   "\xE2\x82x", "\xC3", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(FormsUtf8(text)) << testing::PrintToString(text);
}

}  // namespace
