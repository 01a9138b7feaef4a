// What a resolved command is made of, and the decisions taken on it: the
// split at the first TAB, the working directory, the built-in names and the
// keys the input box hands over. Pure text: no Win32 here.
#pragma once

#include <cstddef>
#include <string_view>

// Room for a command text and its string end (MAX_PATH).
constexpr std::size_t kCommandBufferSize = 260;

// Copies a table value into the command buffer and splits it at its first
// TAB: the command is what comes before, the arguments start past every TAB
// and SPACE that follows it (empty when only blanks follow; null when there
// is no TAB). A value that does not fit whole is refused, never cut: the
// buffer is left empty and arguments null, and the result is false.
bool SplitCommandValue(std::string_view value, char (&command)[kCommandBufferSize],
                       const char*& arguments);

// A command text that names a built-in command shows the warning icon and
// is never handed to the shell.
inline bool IsBuiltinCommand(const char* command)
{
    return command[0] == '#';
}

// The folder a command is started in: the text up to and including its last
// backslash, or the whole text when it has none.
void WorkingDirectoryOf(const char* command, char (&directory)[kCommandBufferSize]);

enum class Builtin { None, Exit, Reload, Shutdown, Reboot, Empty, CloseAll };

// The built-in command a command text names, compared whole and ignoring
// the case of ASCII letters only; None for any other text.
Builtin MatchBuiltin(const char* command);

// Virtual-key codes the input box treats specially (VK_RETURN, VK_MENU,
// VK_ESCAPE).
constexpr unsigned kKeyEnter = 0x0D;
constexpr unsigned kKeyAlt = 0x12;
constexpr unsigned kKeyEscape = 0x1B;

enum class EditKeyAction { PassOn, Run, Swallow, Hide };

EditKeyAction EditKeyActionFor(unsigned virtualKey);
