// The text core: link.dat bytes in, table out; the split of a value, its
// expansion and its working directory (the built-in names are checked through
// kerrow-check, on tests/data/reader.dat); the hot key setting. And
// kerrow-check's rules for a file that looks like UTF-8.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <fstream>

#include "commands/command_text.h"
#include "link_check.h"
#include "table/hot_key.h"
#include "table/shortcut_table.h"
#include "text_bytes.h"

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
    // A command takes no more room than a copy of it, also when it replaces a longer one.
    MergeBytes(table, "D\t16 bytes or more\nE\t16 bytes or more\nE\tshort\n");
    for (const auto& [key, command] : table)
        EXPECT_EQ(command.capacity(), std::string(command).capacity()) << key;
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

// Stands in for ExpandEnvironmentStringsA, with its contract and the "A"
// form's extra byte: %V% is gExpansion, any other text stays as written.
std::string gExpansion;

std::size_t ExpandV(const char* text, char* out, std::size_t size)
{
    std::string expanded = text;
    if (const std::size_t at = expanded.find("%V%"); at != std::string::npos)
        expanded.replace(at, 3, gExpansion);
    if (expanded.size() + 2 > size)
        return expanded.size() + 2;
    std::memcpy(out, expanded.c_str(), expanded.size() + 1);
    return expanded.size() + 1;
}

// Only the command before the TAB is expanded; the expanded command and the
// arguments must fit the buffer whole (259 bytes and the two string ends).
TEST(CommandText, TheCommandIsExpandedAndMustStillFit)
{
    const std::string fill(kCommandBufferSize - 10, 'x');  // with "C:\" and "\a.exe": 259
    const std::tuple<std::string, std::string, std::string, const char*> rows[] = {
        // %V%, the value, its command (empty: refused) and arguments
        {"C:\\Users\\me", "%V%\\a.exe\t%V%", "C:\\Users\\me\\a.exe", "%V%"},
        {"", "%W%\\a.exe", "%W%\\a.exe", nullptr},
        {"C:\\" + fill, "%V%\\a.exe", "C:\\" + fill + "\\a.exe", nullptr},
        {"C:\\" + fill + "y", "%V%\\a.exe", "", nullptr},
        {"C:\\" + fill.substr(3), "%V%\\a.exe\t-x", "C:\\" + fill.substr(3) + "\\a.exe", "-x"},
        {"C:\\" + fill.substr(2), "%V%\\a.exe\t-x", "", nullptr},
        {"C:\\" + fill + fill, "%V%\\a.exe", "", nullptr},
    };
    for (const auto& [expansion, value, command, arguments] : rows) {
        gExpansion = expansion;
        char text[kCommandBufferSize];
        std::memset(text, '?', sizeof text);
        const char* split = "stale";
        EXPECT_EQ(ExpandCommandValue(value, ExpandV, text, split), !command.empty())
            << value << " with " << expansion.size() << " bytes";
        EXPECT_EQ(text, command) << value;
        EXPECT_STREQ(split, arguments) << value;
    }
}

// Modifiers, then one key; F1 to F24 alone, every other key with Alt, Ctrl
// or Win.
TEST(HotKeySetting, ValuesReadAndRefused)
{
    // Value, modifiers and key; then values refused, which leave the hot key
    // untouched.
    const std::tuple<const char*, unsigned, unsigned> read[] = {
        {"Ctrl+Alt+K", kModControl | kModAlt, 'K'},
        {" alt + space ", kModAlt, kKeySpace},
        {"Win+Shift+0", kModWin | kModShift, '0'},
        {"Control+PageDown", kModControl, 0x22},
        {"F24", 0, 0x87},
        {"Shift+f1", kModShift, 0x70},
        {"Ctrl+F10", kModControl, 0x79},
    };
    const char* const refused[] = {"K",       "Shift+K",    "Ctrl+Alt", "Ctrl+Ctrl+K",
                                   "Ctrl++K", "Ctrl+K+Alt", "Ctrl+KK",  "Ctrl+F25",
                                   "Ctrl+F0", "Ctrl+F1x",   "Hyper+K",  "Alt+Space+",
                                   ""};
    for (const auto& [text, modifiers, key] : read) {
        HotKey hotKey = {99, 99};
        EXPECT_TRUE(ParseHotKey(text, hotKey)) << text;
        EXPECT_TRUE(hotKey.modifiers == modifiers && hotKey.virtualKey == key)
            << text << ": " << hotKey.modifiers << " " << hotKey.virtualKey;
    }
    for (const char* text : refused) {
        HotKey hotKey = {99, 99};
        EXPECT_FALSE(ParseHotKey(text, hotKey)) << text;
        EXPECT_TRUE(hotKey.modifiers == 99 && hotKey.virtualKey == 99)
            << text << ": changed to " << hotKey.modifiers << " " << hotKey.virtualKey;
    }
}

// A file in UTF-8 is named as such, except where the ANSI code page is UTF-8.
TEST(LinkCheck, Utf8IsNoFindingInTheUtf8CodePage)
{
    const std::string path = "/tmp/kerrow-test-utf8-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << "K\tC:\\caf\xC3\xA9.exe\n";
    for (const unsigned codePage : {0u, 1252u, 65001u}) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        SystemAnswers system;
        system.ansiCodePage = codePage;
        EXPECT_EQ(CheckLinkFile(path.c_str(), out, err, system), codePage == 65001 ? 0 : 1)
            << codePage;
        std::fclose(out);
        std::fclose(err);
    }
    unlink(path.c_str());
}

// What kerrow-check reads of raw bytes: only well-formed UTF-8 is UTF-8 (no
// overlong form, surrogate, code point past U+10FFFF, or sequence cut short
// or too long), and a byte-order mark is named by its bytes.
TEST(TextBytes, Utf8AndByteOrderMarks)
{
    // Text, whether it is UTF-8, its mark; then text that is not UTF-8.
    const std::tuple<std::string, bool, const char*> rows[] = {
        {"plain", true, ""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", true, ""},
        {"\xEF\xBB\xBFK", true, "EF BB BF"},
        {"\xFF\xFEK", false, "FF FE"},
        {"\xFE\xFF", false, "FE FF"},
    };
    for (const auto& [text, utf8, mark] : rows) {
        EXPECT_EQ(FormsUtf8(text), utf8) << testing::PrintToString(text);
        EXPECT_EQ(HexBytes(ByteOrderMarkAtStart(text)), mark) << testing::PrintToString(text);
    }
    for (const std::string text : {"caf\xE9", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80",
                                   "\xF4\x90\x80\x80", "\xE2\x82x", "\xC3", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(FormsUtf8(text)) << testing::PrintToString(text);
}

}  // namespace
