// The popup and its input box.
#pragma once

#include <windows.h>

// Sent from Windows 10 1703 on, before WM_DPICHANGED; the headers for
// Windows 7 do not name it.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

// The popup's window class: kerrow-check tells a running Kerrow by it.
constexpr const char* kPopupClassName = "Kerrow_Window";

// Builds the popup and its input box, applies the saved placement, registers
// the hot key (Kerrow.ini's HotKey=, else Alt+Space) and starts the change
// watch. False when a required step fails.
bool InitInstance(HINSTANCE instance);

// Empties the input box, which clears the current command through the box's
// change notification.
void EmptyInputBox();
