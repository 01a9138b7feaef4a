// The command text rules, with no Win32 in them so that the native tests and
// kerrow-check run them exactly as the launcher does. Built-in names are
// compared by folding A-Z alone, never through the C library's locale: a byte
// from 0x80 up never equals a letter of a name. Nothing is trimmed, so
// "#exit " names no built-in command.
#include "commands/command_text.h"

#include <cstring>

namespace {

bool EqualsIgnoringAsciiCase(const char* text, const char* name)
{
    for (;; ++text, ++name) {
        char a = *text;
        const char b = *name;  // names are lower case
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != b)
            return false;
        if (a == '\0')
            return true;
    }
}

}  // namespace

bool SplitCommandValue(std::string_view value, char (&command)[kCommandBufferSize],
                       const char*& arguments)
{
    arguments = nullptr;
    command[0] = '\0';
    if (value.size() >= kCommandBufferSize)
        return false;
    std::memcpy(command, value.data(), value.size());
    command[value.size()] = '\0';
    char* tab = std::strchr(command, '\t');
    if (tab) {
        *tab = '\0';
        char* rest = tab + 1;
        while (*rest == '\t' || *rest == ' ')
            ++rest;
        arguments = rest;
    }
    return true;
}

bool ExpandCommandValue(std::string_view value, EnvironmentExpander expand,
                        char (&command)[kCommandBufferSize], const char*& arguments)
{
    char written[kCommandBufferSize];
    const char* writtenArguments;
    arguments = nullptr;
    command[0] = '\0';
    if (!SplitCommandValue(value, written, writtenArguments))
        return false;
    // The "A" expansion may ask for one byte more than the text it gives:
    // the result's own length decides whether it fits.
    char expanded[kCommandBufferSize + 1];
    const std::size_t needed = expand(written, expanded, sizeof expanded);
    if (needed == 0 || needed > sizeof expanded)
        return false;
    const std::size_t length = std::strlen(expanded);
    const std::size_t argumentsSize = writtenArguments ? std::strlen(writtenArguments) + 1 : 0;
    if (length + 1 + argumentsSize > kCommandBufferSize)
        return false;
    std::memcpy(command, expanded, length + 1);
    if (writtenArguments) {
        arguments = command + length + 1;
        std::memcpy(command + length + 1, writtenArguments, argumentsSize);
    }
    return true;
}

TargetKind TargetKindOf(std::string_view command)
{
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (command.size() < 3)
        return TargetKind::Other;
    const char drive = command[0];
    const bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (letter && command[1] == ':' && isSeparator(command[2]))
        return TargetKind::DrivePath;
    if (isSeparator(command[0]) && isSeparator(command[1]))
        return TargetKind::UncPath;
    return TargetKind::Other;
}

void WorkingDirectoryOf(const char* command, char (&directory)[kCommandBufferSize])
{
    std::size_t length = std::strlen(command);
    if (length >= kCommandBufferSize)
        length = kCommandBufferSize - 1;
    std::memcpy(directory, command, length);
    directory[length] = '\0';
    if (char* backslash = std::strrchr(directory, '\\'))
        backslash[1] = '\0';
}

Builtin MatchBuiltin(const char* command)
{
    for (const BuiltinName& entry : kBuiltinNames) {
        if (EqualsIgnoringAsciiCase(command, entry.name))
            return entry.builtin;
    }
    return Builtin::None;
}
