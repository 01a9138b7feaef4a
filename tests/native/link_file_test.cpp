// The link.dat reader and the table it fills, through real files.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "table/shortcut_table.h"
#include "test_support.h"

using namespace std::string_literals;

namespace {

ShortcutTable TableFrom(std::string_view bytes)
{
    const TempDir dir;
    ShortcutTable table;
    EXPECT_TRUE(MergeLinkFile(table, dir.Write("link.dat", bytes).c_str()));
    return table;
}

using NumberedLines = std::vector<std::pair<std::size_t, std::string>>;

NumberedLines LinesFrom(std::string_view bytes, bool& stoppedAtCtrlZ)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    LinkLineReader reader(file);
    NumberedLines lines;
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(reader.LineNumber(), std::string(line));
    stoppedAtCtrlZ = reader.StoppedAtCtrlZ();
    std::fclose(file);
    return lines;
}

struct TableCase {
    std::string bytes;
    ShortcutTable expected;
};

const std::string kLongCommand = "C:\\" + std::string(295, 'x');  // with "L\t": 300 characters
const std::string kHugeCommand(100000, 'y');

const TableCase kTableCases[] = {
    {"", {}},
    {"\n\n\r\n", {}},
    {"N\tnotepad\r.exe\n", {{"N", "notepad.exe"}}},
    {"N\ta\r\r\n\rM\tb\r", {{"M", "b"}, {"N", "a"}}},
    {"N\r\tx\n", {{"N", "x"}}},
    {"A\ta\nB\tb\x1AX\tx\nD\td\n", {{"A", "a"}, {"B", "b"}}},
    {"A\ta\n\x1AQ\tq\n", {{"A", "a"}}},
    {"\x1AQ\tq\n", {}},
    {"A\ta\0junk\nB\0\tb\nC\tc\0\n"s, {{"A", "a"}, {"C", "c"}}},
    {"A b\nB\tc\nC \t d\n", {{"A", "b"}, {"B", "c"}, {"C", "d"}}},
    {"N\t  C:\\Windows\\notepad.exe\n", {{"N", "C:\\Windows\\notepad.exe"}}},
    {"N\tnotepad.exe \t \n", {{"N", "notepad.exe \t "}}},
    {"P\tC:\\Program Files\\a b.exe\t-x  y\n", {{"P", "C:\\Program Files\\a b.exe\t-x  y"}}},
    {" N\tx\n\tM y\n", {}},
    {"N \t \nM\t\nK\n", {}},
    {"#\tx\n;c\ty\n", {{"#", "x"}, {";C", "y"}}},
    {"n\tnotepad.exe\nN\tcalc.exe\n", {{"N", "calc.exe"}}},
    {"az`{@[\xE4\x82q\tx\n", {{"AZ`{@[\xE4\x82Q", "x"}}},
    {"\xEF\xBB\xBFn\tnotepad.exe\n", {{"\xEF\xBB\xBFN", "notepad.exe"}}},
    {"\xFF\xFEn\0\t\0x\0\r\0\n\0m\0 \0y\0\r\0\n\0"s, {}},
    {"\0n\0\t\0x\0\r\0\n\0m\0 \0y"s, {}},
    {"A\ta\nB\tb", {{"A", "a"}, {"B", "b"}}},
    {"L\t" + kLongCommand + "\nM\tm", {{"L", kLongCommand}, {"M", "m"}}},
    {"H\t" + kHugeCommand + "\r\nM\tm\r\n", {{"H", kHugeCommand}, {"M", "m"}}},
};

TEST(LinkFile, EntriesFromBytes)
{
    for (const TableCase& c : kTableCases) {
        const ShortcutTable table = TableFrom(c.bytes);
        EXPECT_EQ(table, c.expected) << "input " << Shown(c.bytes);
    }
}

TEST(LinkFile, CrLfAndLfGiveTheSameTable)
{
    const std::string lf = "n\tnotepad.exe\nc\tcmd.exe\t/k dir\n\nq\t#exit\n";
    std::string crlf;
    for (const char c : lf)
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const ShortcutTable fromLf = TableFrom(lf);
    EXPECT_EQ(fromLf.size(), 3u);
    EXPECT_EQ(TableFrom(crlf), fromLf);
}

struct LinesCase {
    std::string bytes;
    NumberedLines expected;
    bool stoppedAtCtrlZ;
};

TEST(LinkLineReader, PhysicalLineNumbers)
{
    const LinesCase cases[] = {
        {"", {}, false},
        {"\n", {{1, ""}}, false},
        {"a\r\nb", {{1, "a"}, {2, "b"}}, false},
        {"a\n\nb\n", {{1, "a"}, {2, ""}, {3, "b"}}, false},
        {"a\rb\r\n\rc\r", {{1, "ab"}, {2, "c"}}, false},
        {"a\nx\x1Ay\nz", {{1, "a"}, {2, "x"}}, true},
        {"a\n\x1A", {{1, "a"}}, true},
        {"a\0b\nc"s, {{1, "a\0b"s}, {2, "c"}}, false},
    };
    for (const LinesCase& c : cases) {
        bool stoppedAtCtrlZ = false;
        const NumberedLines lines = LinesFrom(c.bytes, stoppedAtCtrlZ);
        EXPECT_EQ(lines, c.expected) << "input " << Shown(c.bytes);
        EXPECT_EQ(stoppedAtCtrlZ, c.stoppedAtCtrlZ) << "input " << Shown(c.bytes);
    }
}

// The reader takes the file in chunks of 64 KiB: a line, its CR and its LF
// must come out the same wherever the chunk ends.
TEST(LinkLineReader, LinesAcrossTheChunkBoundary)
{
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    const std::string probe = "BND\tab\rcd\r\n";
    for (std::size_t start = kChunk - probe.size() - 1; start <= kChunk + 1; ++start) {
        const std::string filler = "F\t" + std::string(start - 3, 'f') + "\n";
        const std::string bytes = filler + probe + "END\tz";
        const ShortcutTable expected = {
            {"F", filler.substr(2, start - 3)}, {"BND", "abcd"}, {"END", "z"}};
        EXPECT_EQ(TableFrom(bytes), expected) << "probe line at offset " << start;
    }
    const std::string exactlyOneChunk = "E\t" + std::string(kChunk - 2, 'e');
    EXPECT_EQ(TableFrom(exactlyOneChunk).at("E").size(), kChunk - 2);
    const std::string ctrlZInSecondChunk = "A\t" + std::string(kChunk, 'a') + "\nB\tb\x1AX\tx\n";
    const ShortcutTable table = TableFrom(ctrlZInSecondChunk);
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.count("B"), 1u);
}

TEST(LinkFile, MergeKeepsRemovedKeysAndReplacesChangedOnes)
{
    const TempDir dir;
    ShortcutTable table;
    ASSERT_TRUE(MergeLinkFile(table, dir.Write("link.dat", "A\ta\nB\tb\n").c_str()));
    ASSERT_TRUE(MergeLinkFile(table, dir.Write("link.dat", "b\tb2\nC\tc\n").c_str()));
    const ShortcutTable expected = {{"A", "a"}, {"B", "b2"}, {"C", "c"}};
    EXPECT_EQ(table, expected);
}

TEST(LinkFile, MissingFileLeavesTheTableAlone)
{
    const TempDir dir;
    ShortcutTable table = {{"A", "a"}};
    EXPECT_FALSE(MergeLinkFile(table, (dir.Path() / "link.dat").c_str()));
    EXPECT_EQ(table, (ShortcutTable{{"A", "a"}}));
}

TEST(LinkFile, FindCommandIsExactAndByteWise)
{
    const ShortcutTable table = {{"N", "notepad.exe"}, {"NO", "x"}};
    const std::pair<const char*, const char*> cases[] = {{"N", "notepad.exe"}, {"NO", "x"},
                                                         {"n", nullptr},       {"", nullptr},
                                                         {"NOT", nullptr},     {"N ", nullptr}};
    for (const auto& [key, expected] : cases) {
        const std::string* found = FindCommand(table, key);
        EXPECT_EQ(found ? *found : "(none)", expected ? expected : "(none)")
            << "key " << Shown(key);
    }
}

}  // namespace
