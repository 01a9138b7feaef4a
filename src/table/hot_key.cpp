#include "table/hot_key.h"

namespace {

struct KeyName {
    const char* name;  // lower case
    unsigned code;
};

constexpr KeyName kModifierNames[] = {
    {"alt", kModAlt},     {"ctrl", kModControl}, {"control", kModControl},
    {"shift", kModShift}, {"win", kModWin},
};

constexpr KeyName kKeyNames[] = {
    {"space", kKeySpace}, {"enter", 0x0D},    {"tab", 0x09},    {"esc", 0x1B},  {"escape", 0x1B},
    {"backspace", 0x08},  {"insert", 0x2D},   {"delete", 0x2E}, {"home", 0x24}, {"end", 0x23},
    {"pageup", 0x21},     {"pagedown", 0x22}, {"left", 0x25},   {"up", 0x26},   {"right", 0x27},
    {"down", 0x28},       {"pause", 0x13},
};

constexpr unsigned kKeyF1 = 0x70;
constexpr unsigned kFunctionKeys = 24;
constexpr unsigned kFirstLetterKey = 'A';  // letters and digits are their upper-case ASCII
constexpr unsigned kFirstDigitKey = '0';

char LowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsName(std::string_view text, const char* name)
{
    for (const char c : text) {
        if (*name == '\0' || LowerCase(c) != *name++)
            return false;
    }
    return *name == '\0';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// 0 for a name that is no key.
unsigned KeyCodeOf(std::string_view name)
{
    if (name.size() == 1) {
        const char c = LowerCase(name[0]);
        if (c >= 'a' && c <= 'z')
            return kFirstLetterKey + (c - 'a');
        if (c >= '0' && c <= '9')
            return kFirstDigitKey + (c - '0');
        return 0;
    }
    if (LowerCase(name[0]) == 'f' && name.size() <= 3 && name[1] >= '1' && name[1] <= '9') {
        unsigned number = name[1] - '0';
        if (name.size() == 3) {
            if (name[2] < '0' || name[2] > '9')
                return 0;
            number = number * 10 + (name[2] - '0');
        }
        return number <= kFunctionKeys ? kKeyF1 + number - 1 : 0;
    }
    for (const KeyName& key : kKeyNames) {
        if (EqualsName(name, key.name))
            return key.code;
    }
    return 0;
}

bool IsFunctionKey(unsigned code)
{
    return code >= kKeyF1 && code < kKeyF1 + kFunctionKeys;
}

}  // namespace

bool ParseHotKey(std::string_view text, HotKey& hotKey)
{
    unsigned modifiers = 0;
    for (;;) {
        const std::size_t plus = text.find('+');
        const std::string_view name = TrimBlanks(text.substr(0, plus));
        if (name.empty())
            return false;
        if (plus == std::string_view::npos) {
            const unsigned code = KeyCodeOf(name);
            if (code == 0 || (!(modifiers & ~kModShift) && !IsFunctionKey(code)))
                return false;
            hotKey = {modifiers, code};
            return true;
        }
        unsigned modifier = 0;
        for (const KeyName& entry : kModifierNames) {
            if (EqualsName(name, entry.name))
                modifier = entry.code;
        }
        if (modifier == 0 || (modifiers & modifier))
            return false;
        modifiers |= modifier;
        text.remove_prefix(plus + 1);
    }
}
