// The popup's look at a DPI, and its place among the monitors: its 96-DPI
// design scaled to the DPI of the monitor it stands on, and every position
// kept wholly on one monitor, the one nearest to it, never pinned to the
// primary screen's size.
#pragma once

#include <windows.h>

constexpr int kDesignDpi = USER_DEFAULT_SCREEN_DPI;
constexpr DWORD kPopupStyle = WS_POPUPWINDOW;
constexpr DWORD kPopupExStyle = WS_EX_TOOLWINDOW;

// The icon's square at a DPI, at the popup's left.
int IconSize(int dpi);

// The DPI of the monitor a window stands on; before Windows 10 the system's
// DPI, which is the primary monitor's.
int DpiOf(HWND window);

// The popup's outer size around its client area at a DPI.
SIZE PopupFrameSize(int dpi);

SIZE SizeOf(const RECT& rect);

// Keeps a popup of this size, its left and top edge at x and y, wholly on
// the monitor nearest to it; a failed query leaves them as they are.
void ClampPosition(int& x, int& y, SIZE size);

// Where a popup of this size touches the primary monitor's bottom-right
// corner.
POINT PrimaryCorner(SIZE size);

// Lays the popup out for a DPI with its left and top edge at a place: its
// size, the input box's place and font. The font it had is released once
// the box has the new one; without a font the box keeps the system's.
void LayOutForDpi(HWND popup, HWND edit, int dpi, POINT at);
