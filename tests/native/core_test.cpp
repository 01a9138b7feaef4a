// The text core: link.dat bytes in, table out; the split of a value, its
// working directory and the built-in names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <fstream>

#include "commands/command_text.h"
#include "table/shortcut_table.h"

namespace {

ShortcutTable TableFrom(const std::string& bytes, ShortcutTable table = {})
{
    const std::string path = "/tmp/kerrow-test-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_TRUE(MergeLinkFile(table, path.c_str()));
    unlink(path.c_str());
    return table;
}

constexpr std::size_t kChunk = std::size_t{64} * 1024;   // the reader's read size
const std::string kPast = std::string(kChunk - 4, 'f');  // "F\t" + kPast + "\r\n" ends a chunk

// The rules of the reader line by line are checked on tests/data/reader.dat
// (kerrow_check_files); here, what lies at the edges of the file and of the
// reader's chunks.
TEST(LinkFile, BytesToTable)
{
    const struct {
        std::string bytes;
        ShortcutTable table;
    } rows[] = {
        {"", {}},
        {"N\r\tx\n\r\n", {{"N", "x"}}},
        {"\x1AQ\tq\n", {}},
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
