// The popup's process-wide record: its windows, its font, the bounds its
// position is clamped to and the watch on the program's directory. It sits
// below the window code, the commands and the table, which all read it, and
// includes none of them.
#pragma once

#include <windows.h>

struct PopupState {
    static constexpr int EditControlId = 100;
    static constexpr const char* settingsPath = ".\\Kerrow.ini";

    HWND popup = nullptr;
    HWND edit = nullptr;
    HFONT font = nullptr;
    // Largest left and top edge; measured once when the popup is created.
    int maxX = GetSystemMetrics(SM_CXSCREEN);
    int maxY = GetSystemMetrics(SM_CYSCREEN);
    HANDLE LinkChangeWatch = INVALID_HANDLE_VALUE;
};

extern PopupState gPopupState;
