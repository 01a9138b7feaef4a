// The popup and its input box.
#pragma once

#include <windows.h>

// The popup's window class: kerrow-check tells a running Kerrow by it.
constexpr const char* kPopupClassName = "Kerrow_Window";

// The hot key, Alt+Space: kerrow-check tries it to tell whether Kerrow can
// hold it.
constexpr UINT kHotKeyModifiers = MOD_ALT;
constexpr UINT kHotKeyVirtualKey = VK_SPACE;

// Builds the popup and its input box, applies the saved placement, registers
// the hot key and starts the change watch. False when a required step fails.
bool InitInstance(HINSTANCE instance);

// Empties the input box, which clears the current command through the box's
// change notification.
void EmptyInputBox();
