// The text core: link.dat bytes in, table out; the split of a value, its
// working directory and the built-in names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <fstream>

#include "commands/command_text.h"
#include "table/shortcut_table.h"

using namespace std::string_literals;

namespace {

ShortcutTable TableFrom(const std::string& bytes, ShortcutTable table = {})
{
    const std::string path = "/tmp/kerrow-test-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_TRUE(MergeLinkFile(table, path.c_str()));
    unlink(path.c_str());
    return table;
}

constexpr std::size_t kChunk = std::size_t{64} * 1024;  // the reader's read size
const std::string kLong = "C:\\" + std::string(295, 'x');
const std::string kPast = std::string(kChunk - 4, 'f');  // "F\t" + kPast + "\r\n" ends a chunk

TEST(LinkFile, BytesToTable)
{
    const struct {
        std::string bytes;
        ShortcutTable table;
    } rows[] = {
        {"", {}},
        {"N\tnotepad\r.exe\r\nM\tb\r", {{"N", "notepad.exe"}, {"M", "b"}}},
        {"N\r\tx\n\r\n", {{"N", "x"}}},
        {"A\ta\nB\tb\x1AX\tx\nD\td\n", {{"A", "a"}, {"B", "b"}}},
        {"\x1AQ\tq\n", {}},
        {"A\ta\0junk\nB\0\tb\nC\tc\0\n"s, {{"A", "a"}, {"C", "c"}}},
        {"A b\nB\tc\nC \t d\n", {{"A", "b"}, {"B", "c"}, {"C", "d"}}},
        {"N\tnotepad.exe \t \nP\tC:\\a b.exe\t-x  y",
         {{"N", "notepad.exe \t "}, {"P", "C:\\a b.exe\t-x  y"}}},
        {" N\tx\n\tM y\nK \t \nL\t\nJ\n", {}},
        {"#\tx\n;c\ty\n", {{"#", "x"}, {";C", "y"}}},
        {"n\tnotepad.exe\nN\tcalc.exe\n", {{"N", "calc.exe"}}},
        {"az`{@[\xE4\x82q\tx\n", {{"AZ`{@[\xE4\x82Q", "x"}}},
        {"\xEF\xBB\xBFn\tx\n", {{"\xEF\xBB\xBFN", "x"}}},
        {"\xFF\xFEn\0\t\0x\0\r\0\n\0m\0 \0y\0"s, {}},
        {"L\t" + kLong + "\nM\tm", {{"L", kLong}, {"M", "m"}}},
        {"F\t" + kPast + "\r\nB\tab\rcd\x1Az", {{"F", kPast}, {"B", "abcd"}}},
        {"F\t" + kPast + "xx\r\nB\tb", {{"F", kPast + "xx"}, {"B", "b"}}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TableFrom(row.bytes), row.table) << "row " << &row - rows;
}

TEST(LinkFile, ReloadMergesAndAMissingFileChangesNothing)
{
    const ShortcutTable merged = TableFrom("b\tb2\nC\tc\n", {{"A", "a"}, {"B", "b"}});
    EXPECT_EQ(merged, (ShortcutTable{{"A", "a"}, {"B", "b2"}, {"C", "c"}}));
    ShortcutTable table = {{"A", "a"}};
    EXPECT_FALSE(MergeLinkFile(table, "/nonexistent/link.dat"));
    EXPECT_EQ(table, (ShortcutTable{{"A", "a"}}));
}

TEST(CommandText, SplitAtTheFirstTab)
{
    const std::string fits(kCommandBufferSize - 1, 'x');
    const struct {
        std::string value;
        const char* command;  // null: refused
        const char* arguments;
    } rows[] = {
        {"C:\\tools\\app.exe\t-x", "C:\\tools\\app.exe", "-x"},
        {"app.exe\t \t -x y \t", "app.exe", "-x y \t"},
        {"app.exe\t\t ", "app.exe", ""},
        {"C:\\a b.exe  ", "C:\\a b.exe  ", nullptr},
        {"a b\tc\td", "a b", "c\td"},
        {fits, fits.c_str(), nullptr},
        {fits + "x", nullptr, nullptr},
        {"a.exe\t" + fits, nullptr, nullptr},
    };
    for (const auto& row : rows) {
        char command[kCommandBufferSize];
        std::memset(command, '?', sizeof command);
        const char* arguments = "stale";
        EXPECT_EQ(SplitCommandValue(row.value, command, arguments), row.command != nullptr)
            << row.value;
        EXPECT_STREQ(command, row.command ? row.command : "") << row.value;
        EXPECT_STREQ(arguments, row.arguments) << row.value;
    }
}

TEST(CommandText, WorkingDirectoryEndsAtTheLastBackslash)
{
    const std::pair<const char*, const char*> rows[] = {
        {"C:\\a\\b\\c.exe", "C:\\a\\b\\"},
        {"notepad.exe", "notepad.exe"},
        {"\\\\server\\share\\app.exe", "\\\\server\\share\\"},
        {"C:/tools/app.exe", "C:/tools/app.exe"},
    };
    for (const auto& [command, expected] : rows) {
        char directory[kCommandBufferSize];
        WorkingDirectoryOf(command, directory);
        EXPECT_STREQ(directory, expected) << command;
    }
}

TEST(CommandText, BuiltinNamesMatchWholeIgnoringAsciiCase)
{
    const struct {
        Builtin expected;
        const char* spellings[3];
    } rows[] = {
        {Builtin::Exit, {"#exit", "#EXIT", "#Exit"}},
        {Builtin::Reload, {"#RELOAD", "#reLoad", "#reload"}},
        {Builtin::Shutdown, {"#ShutDown", "#shutdown", "#SHUTDOWN"}},
        {Builtin::Reboot, {"#reBoot", "#REBOOT", "#reboot"}},
        {Builtin::EmptyRecycleBin, {"#Empty", "#empty", "#EMPTY"}},
        {Builtin::CloseAll, {"#CLOSEall", "#closeall", "#CloseAll"}},
        {Builtin::None, {"#exit ", " #exit", "#exi"}},
        {Builtin::None, {"#exits", "exit", "#EX\xDDT"}},
    };
    for (const auto& [expected, spellings] : rows) {
        for (const char* command : spellings)
            EXPECT_EQ(MatchBuiltin(command), expected) << command;
    }
}

}  // namespace
