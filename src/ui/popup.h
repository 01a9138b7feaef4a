// The popup and its input box.
#pragma once

#include <windows.h>

// The popup's window class: kerrow-check tells a running Kerrow by it.
constexpr const char* kPopupClassName = "Kerrow_Window";

// Builds the popup and its input box, applies the saved placement, registers
// the hot key (Kerrow.ini's HotKey=, else Alt+Space) and starts the change
// watch. False when a required step fails.
bool InitInstance(HINSTANCE instance);

// Empties the input box, which clears the current command through the box's
// change notification.
void EmptyInputBox();
