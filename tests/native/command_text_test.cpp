// Splitting a table value, the working directory, built-in names and the
// keys the input box hands over.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/command_text.h"
#include "test_support.h"

namespace {

constexpr const char* kNone = nullptr;

std::string ShownOrNone(const char* text)
{
    return text ? Shown(text) : "null";
}

struct SplitCase {
    std::string value;
    bool fits;
    std::string command;
    const char* arguments;  // null: no arguments at all
};

TEST(CommandText, SplitCommandValue)
{
    const std::string fits259(kCommandBufferSize - 1, 'x');
    const std::string tooLong260(kCommandBufferSize, 'x');
    const std::string tooLongWithTab = "a.exe\t" + std::string(kCommandBufferSize, 'x');
    const SplitCase cases[] = {
        {"C:\\tools\\app.exe\t-x", true, "C:\\tools\\app.exe", "-x"},
        {"app.exe\t \t -x y \t", true, "app.exe", "-x y \t"},
        {"app.exe\t\t ", true, "app.exe", ""},
        {"app.exe\t", true, "app.exe", ""},
        {"C:\\Program Files\\a b.exe  ", true, "C:\\Program Files\\a b.exe  ", kNone},
        {"a b\tc\td", true, "a b", "c\td"},
        {"#exit \tmore", true, "#exit ", "more"},
        {fits259, true, fits259, kNone},
        {tooLong260, false, "", kNone},
        {tooLongWithTab, false, "", kNone},
    };
    for (const SplitCase& c : cases) {
        char command[kCommandBufferSize];
        std::memset(command, '?', sizeof command);
        const char* arguments = "stale";
        const bool fits = SplitCommandValue(c.value, command, arguments);
        EXPECT_EQ(fits, c.fits) << "value " << Shown(c.value);
        EXPECT_EQ(std::string(command), c.command) << "value " << Shown(c.value);
        EXPECT_EQ(ShownOrNone(arguments), ShownOrNone(c.arguments)) << "value " << Shown(c.value);
        if (arguments) {
            EXPECT_TRUE(arguments > command && arguments < command + kCommandBufferSize)
                << "arguments of " << Shown(c.value) << " do not point into the buffer";
        }
    }
}

TEST(CommandText, WorkingDirectoryOf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\tools\\app.exe", "C:\\tools\\"},
        {"C:\\a\\b\\c.exe", "C:\\a\\b\\"},
        {"notepad.exe", "notepad.exe"},
        {"C:\\tools\\", "C:\\tools\\"},
        {"\\\\server\\share\\app.exe", "\\\\server\\share\\"},
        {"C:/tools/app.exe", "C:/tools/app.exe"},
        {"", ""},
    };
    for (const auto& [command, expected] : cases) {
        char directory[kCommandBufferSize];
        WorkingDirectoryOf(command, directory);
        EXPECT_STREQ(directory, expected) << "command " << Shown(command);
    }
}

TEST(CommandText, MatchBuiltin)
{
    const struct {
        Builtin expected;
        const char* spellings[3];
    } cases[] = {
        {Builtin::Exit, {"#exit", "#EXIT", "#Exit"}},
        {Builtin::Reload, {"#reload", "#RELOAD", "#reLoad"}},
        {Builtin::Shutdown, {"#shutdown", "#SHUTDOWN", "#ShutDown"}},
        {Builtin::Reboot, {"#reboot", "#REBOOT", "#ReBoot"}},
        {Builtin::EmptyRecycleBin, {"#empty", "#EMPTY", "#Empty"}},
        {Builtin::CloseAll, {"#closeall", "#CLOSEALL", "#CloseAll"}},
        // Whole names only; no byte but A-Z is folded.
        {Builtin::None, {"#exit ", " #exit", "#exi"}},
        {Builtin::None, {"#exits", "exit", "#"}},
        {Builtin::None, {"#quit", "#EX\xDDT", "#\xC5MPTY"}},
    };
    for (const auto& [expected, spellings] : cases) {
        for (const char* command : spellings) {
            const Builtin actual = MatchBuiltin(command);
            EXPECT_EQ(actual, expected)
                << "command " << Shown(command) << " gave " << static_cast<int>(actual);
        }
    }
}

TEST(CommandText, EditKeyActionFor)
{
    const std::pair<unsigned, EditKeyAction> cases[] = {
        {13, EditKeyAction::Run},     {18, EditKeyAction::Swallow},
        {27, EditKeyAction::Hide},    {0, EditKeyAction::PassOn},
        {8, EditKeyAction::PassOn},   {16, EditKeyAction::PassOn},
        {'A', EditKeyAction::PassOn}, {13 + 256, EditKeyAction::PassOn},
    };
    for (const auto& [key, expected] : cases) {
        const EditKeyAction actual = EditKeyActionFor(key);
        EXPECT_EQ(actual, expected)
            << "virtual key " << key << " gave " << static_cast<int>(actual);
    }
}

}  // namespace
