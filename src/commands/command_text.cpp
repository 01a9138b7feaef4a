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

struct BuiltinName {
    const char* name;
    Builtin builtin;
};

// Tried in this order; the first equal name wins.
constexpr BuiltinName kBuiltinNames[] = {
    {"#exit", Builtin::Exit},     {"#reload", Builtin::Reload}, {"#shutdown", Builtin::Shutdown},
    {"#reboot", Builtin::Reboot}, {"#empty", Builtin::Empty},   {"#closeall", Builtin::CloseAll},
};

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

EditKeyAction EditKeyActionFor(unsigned virtualKey)
{
    switch (virtualKey) {
    case kKeyEnter:
        return EditKeyAction::Run;
    case kKeyAlt:
        return EditKeyAction::Swallow;
    case kKeyEscape:
        return EditKeyAction::Hide;
    default:
        return EditKeyAction::PassOn;
    }
}
