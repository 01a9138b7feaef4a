// The popup: its class, its window procedure and its placement.
#pragma once

#include <windows.h>

LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the popup and its input box, applies the saved placement, registers
// the hot key and starts the change watch. False when a required step fails.
bool InitInstance(HINSTANCE instance);

// Keeps a proposed left and top edge on the screen as measured at start-up.
void ClampPosition(int& x, int& y);

constexpr int kHotKeyId = 0;
constexpr const char* kPopupClassName = "Kerrow_Window";
constexpr const char* kPopupTitle = "Kerrow by Pellam";
constexpr const char* kSettingsSection = "Window";
constexpr const char* kSettingsKey = "Placement";
