// What a resolved command is made of, and the decisions taken on it: the
// split at the first TAB, the working directory, the built-in names and the
// keys the input box hands over. Pure text: no Win32 here.
#pragma once

#include <cstddef>
#include <string_view>

// Room for a command text and its string end: MAX_PATH (run_command.cpp holds
// it to the real one).
constexpr std::size_t kCommandBufferSize = 260;

// Copies a table value into the command buffer and splits it at its first
// TAB: the command is what comes before, the arguments start past every TAB
// and SPACE that follows it (empty when only blanks follow; null when there
// is no TAB). A value that does not fit whole is refused, never cut: the
// buffer is left empty and arguments null, and the result is false.
bool SplitCommandValue(std::string_view value, char (&command)[kCommandBufferSize],
                       const char*& arguments);

// Expands the %VARIABLES% of text into out, which holds size bytes, with
// ExpandEnvironmentStringsA's contract: returns the size the result needs,
// its string end included (more than size: nothing usable was written), 0
// on failure. A variable that is not defined stays as written.
using EnvironmentExpander = std::size_t (*)(const char* text, char* out, std::size_t size);

// SplitCommandValue, then the command's variables expanded (the arguments
// stay as written), so that the icon, the working folder and the launch all
// see the same path. A value whose expanded command and arguments do not fit
// the buffer whole is refused as SplitCommandValue refuses one.
bool ExpandCommandValue(std::string_view value, EnvironmentExpander expand,
                        char (&command)[kCommandBufferSize], const char*& arguments);

// A command text that names a built-in command shows the warning icon and
// is never handed to the shell.
inline bool IsBuiltinCommand(const char* command)
{
    return command[0] == '#';
}

// How a command names its target: a path on a drive letter ("C:\..." or
// "C:/..."), a UNC path ("\\server\share..."), or anything else: a name the
// shell finds by itself, a URL, a relative path.
enum class TargetKind { Other, DrivePath, UncPath };

TargetKind TargetKindOf(std::string_view command);

// The folder a command is started in: the text up to and including its last
// backslash, or the whole text when it has none.
void WorkingDirectoryOf(const char* command, char (&directory)[kCommandBufferSize]);

enum class Builtin { None, Exit, Reload, Shutdown, Reboot, EmptyRecycleBin, CloseAll };

struct BuiltinName {
    const char* name;  // lower case
    Builtin builtin;
};

// Every built-in name, tried in this order; the first equal name wins.
inline constexpr BuiltinName kBuiltinNames[] = {
    {"#exit", Builtin::Exit},
    {"#reload", Builtin::Reload},
    {"#shutdown", Builtin::Shutdown},
    {"#reboot", Builtin::Reboot},
    {"#empty", Builtin::EmptyRecycleBin},
    {"#closeall", Builtin::CloseAll},
};

// The built-in command a command text names, compared whole and ignoring
// the case of ASCII letters only; None for any other text.
Builtin MatchBuiltin(const char* command);

// The input box takes at most this many characters: a longer key can never
// be typed.
constexpr std::size_t kInputBoxLength = 4;
