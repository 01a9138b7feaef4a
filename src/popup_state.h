// The popup's process-wide record: its windows, its font and DPI, and the
// watch on the program's directory. It sits below the window code, the
// commands and the table, which all read it, and includes none of them.
#pragma once

#include <windows.h>

// The input box's child identifier, which its notifications carry.
constexpr int kEditControlId = 100;

// Sent to the popup before #shutdown and #reboot end the session without
// telling it: the popup saves its place, as hidden.
constexpr UINT kSaveHiddenPlacementMessage = WM_APP;

struct PopupState {
    HWND popup = nullptr;
    HWND edit = nullptr;
    HFONT font = nullptr;
    // The DPI of the screen the popup stands on: its sizes, the icon's and
    // the font's are its 96-DPI design scaled by it.
    int dpi = USER_DEFAULT_SCREEN_DPI;
    HANDLE linkChangeWatch = INVALID_HANDLE_VALUE;
};

extern PopupState gPopupState;
