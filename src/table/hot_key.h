// The hot key that shows the popup, as Kerrow.ini's [Settings] HotKey= names
// it, for example "Ctrl+Alt+K". Pure text: no Win32 here, so the native tests
// and kerrow-check read a value exactly as the launcher does.
#pragma once

#include <string_view>

// RegisterHotKey's modifier flags and the virtual-key code of Space, spelt
// out because the core sees no Win32 headers (link_files.cpp holds them to
// the real ones).
constexpr unsigned kModAlt = 0x1;
constexpr unsigned kModControl = 0x2;
constexpr unsigned kModShift = 0x4;
constexpr unsigned kModWin = 0x8;
constexpr unsigned kKeySpace = 0x20;

struct HotKey {
    unsigned modifiers;
    unsigned virtualKey;
};

// Without the setting, or with a value that cannot be read.
constexpr HotKey kDefaultHotKey = {kModAlt, kKeySpace};
constexpr const char* kDefaultHotKeyName = "Alt+Space";

// Reads a value: modifiers from Alt, Ctrl (or Control), Shift and Win, each at
// most once, joined by '+', then one key: a letter, a digit, F1 to F24, or a
// named key (Space, Enter, Tab, Esc, Backspace, Insert, Delete, Home, End,
// PageUp, PageDown, Left, Right, Up, Down, Pause). Names ignore case; blanks
// around them are allowed. Only F1 to F24 may go without Alt, Ctrl or Win:
// any other key alone, or with Shift alone, would be taken from the typing of
// every program. False, and hotKey untouched, for any other value.
bool ParseHotKey(std::string_view text, HotKey& hotKey);
