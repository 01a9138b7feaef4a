#include "ui/layout.h"

#include <algorithm>
#include <cstring>

#include "optional_functions.h"
#include "popup_state.h"

namespace {

// The popup's design at 96 DPI; at another DPI each size is scaled by it.
constexpr int kClientWidth = 72;
constexpr int kClientHeight = 16;
constexpr int kIconSize = 16;  // the icon's square, at the left; the input box fills the rest
constexpr int kFontHeight = 14;
constexpr char kFontFace[] = "Times New Roman";
static_assert(sizeof kFontFace <= LF_FACESIZE);

int Scaled(int value, int dpi)
{
    return MulDiv(value, dpi, kDesignDpi);
}

// The whole area of the monitor nearest to a rectangle: the one it stands
// on, or the one it is closest to when it lies outside every monitor (a
// monitor since taken away).
bool MonitorAreaNearest(const RECT& place, RECT& area)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &info))
        return false;
    area = info.rcMonitor;
    return true;
}

HFONT CreatePopupFont(int dpi)
{
    LOGFONTA logFont = {};
    logFont.lfHeight = Scaled(kFontHeight, dpi);
    logFont.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(logFont.lfFaceName, kFontFace, sizeof kFontFace);
    return CreateFontIndirectA(&logFont);
}

}  // namespace

int IconSize(int dpi)
{
    return Scaled(kIconSize, dpi);
}

int DpiOf(HWND window)
{
    if (const auto dpiForWindow = gOptionalFunctions.getDpiForWindow)
        return static_cast<int>(dpiForWindow(window));
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;  // never a popup of no size
}

SIZE PopupFrameSize(int dpi)
{
    RECT frame = {0, 0, Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi)};
    if (const auto adjustForDpi = gOptionalFunctions.adjustWindowRectExForDpi)
        adjustForDpi(&frame, kPopupStyle, FALSE, kPopupExStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
    return SizeOf(frame);
}

SIZE SizeOf(const RECT& rect)
{
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void ClampPosition(int& x, int& y, SIZE size)
{
    RECT area;
    if (!MonitorAreaNearest({x, y, x + size.cx, y + size.cy}, area))
        return;
    x = std::min(std::max(x, static_cast<int>(area.left)), static_cast<int>(area.right - size.cx));
    y = std::min(std::max(y, static_cast<int>(area.top)), static_cast<int>(area.bottom - size.cy));
}

POINT PrimaryCorner(SIZE size)
{
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    return {primary.rcMonitor.right - size.cx, primary.rcMonitor.bottom - size.cy};
}

void LayOutForDpi(HWND popup, HWND edit, int dpi, POINT at)
{
    gPopupState.dpi = dpi;
    const HFONT font = CreatePopupFont(dpi);
    const int iconSize = IconSize(dpi);
    SetWindowPos(edit, nullptr, iconSize, 0, Scaled(kClientWidth, dpi) - iconSize,
                 Scaled(kClientHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    gPopupState.font = font;
    // The clamp that every move of the popup goes through keeps it on a
    // monitor.
    const SIZE size = PopupFrameSize(dpi);
    SetWindowPos(popup, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}
