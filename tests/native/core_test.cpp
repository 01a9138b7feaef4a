// The text core: link.dat bytes in, table out; the split of a value, its
// working directory and the built-in names. And kerrow-check's rule for a
// file that looks like UTF-8.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <fstream>

#include "commands/command_text.h"
#include "link_check.h"
#include "table/shortcut_table.h"

namespace {

constexpr std::size_t kChunk = std::size_t{64} * 1024;   // the reader's read size
const std::string kPast = std::string(kChunk - 4, 'f');  // "F\t" + kPast + "\r\n" ends a chunk

// The reader's rules line by line are checked on tests/data/reader.dat
// (kerrow_check_files); here, the edges of the file and of the reader's
// chunks, and a reload merging into the table it had.
TEST(LinkFile, BytesToTable)
{
    const std::tuple<std::string, ShortcutTable, ShortcutTable> rows[] = {
        {"N\r\tx\n\r\n", {}, {{"N", "x"}}},
        {"\x1AQ\tq\n", {}, {}},
        {"F\t" + kPast + "\r\nB\tab\rcd\x1Az", {}, {{"F", kPast}, {"B", "abcd"}}},
        {"F\t" + kPast + "xx\r\nB\tb", {}, {{"F", kPast + "xx"}, {"B", "b"}}},
        {"b\tb2\nC\tc\n", {{"A", "a"}, {"B", "b"}}, {{"A", "a"}, {"B", "b2"}, {"C", "c"}}},
    };
    const std::string path = "/tmp/kerrow-test-" + std::to_string(getpid());
    for (auto [bytes, table, expected] : rows) {
        std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_TRUE(MergeLinkFile(table, path.c_str()));
        EXPECT_EQ(table, expected) << "row " << bytes.substr(0, 9);
    }
    unlink(path.c_str());
    ShortcutTable table = {{"A", "a"}};
    EXPECT_FALSE(MergeLinkFile(table, path.c_str()));
    EXPECT_EQ(table, (ShortcutTable{{"A", "a"}})) << "a missing file changed the table";
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

TEST(CommandText, BuiltinNamesMatchWholeIgnoringAsciiCase)
{
    const std::pair<const char*, Builtin> rows[] = {
        {"#exit", Builtin::Exit},         {"#EXIT", Builtin::Exit},
        {"#reLoad", Builtin::Reload},     {"#ShutDown", Builtin::Shutdown},
        {"#REBOOT", Builtin::Reboot},     {"#Empty", Builtin::EmptyRecycleBin},
        {"#closeALL", Builtin::CloseAll}, {"#exit ", Builtin::None},
        {" #exit", Builtin::None},        {"#exi", Builtin::None},
        {"#exits", Builtin::None},        {"exit", Builtin::None},
        {"#EX\xDDT", Builtin::None},      {"#\xC5XIT", Builtin::None},
    };
    for (const auto& [command, expected] : rows)
        EXPECT_EQ(MatchBuiltin(command), expected) << command;
}

// Well-formed UTF-8 only: no overlong form, surrogate, code point past
// U+10FFFF or cut sequence; and Windows-1252 text is rarely UTF-8 by chance.
TEST(LinkCheck, FormsUtf8)
{
    const char* const utf8[] = {"r\xC3\xA9sum\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\xF4\x8F\xBF\xBF"};
    const char* const notUtf8[] = {
        "caf\xE9",   "\xC3\xA9\xE9",        "\xC3",         "\xA9",
        "\xC0\x80",  "\xE0\x80\x80",        "\xED\xA0\x80", "\xF4\x90\x80\x80",
        "\xE2\x82x", "\xF8\x88\x80\x80\x80"};
    for (const char* text : utf8)
        EXPECT_TRUE(FormsUtf8(text)) << testing::PrintToString(std::string(text));
    for (const char* text : notUtf8)
        EXPECT_FALSE(FormsUtf8(text)) << testing::PrintToString(std::string(text));
}

}  // namespace
