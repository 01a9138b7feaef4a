// The popup is a topmost tool window without a caption: every point of it
// answers HTCAPTION, so it is dragged by its icon or its border. Every
// proposed position is clamped to the monitor nearest to the popup's
// proposed rectangle, so that it stays wholly on the monitor the user put it
// on, whichever that is and wherever it lies (left of or above the primary
// one, too); a display change clamps it again. Showing and hiding both empty
// the input box and poll the change watch, so a changed link.dat is read
// before anything can be typed. Losing the activation to another program
// hides it; the end of the session saves its place, as a close does.
#include "ui/popup.h"

#include <imm.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "commands/command_text.h"
#include "commands/current_command.h"
#include "commands/environment.h"
#include "commands/resolve_key.h"
#include "dll_search.h"
#include "placement.h"
#include "popup_state.h"
#include "table/link_files.h"
#include "table/link_watch.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr const char* kPopupTitle = "Kerrow by Pellam";

// The popup's design at 96 DPI; at another DPI each size is scaled by it.
constexpr int kDesignDpi = USER_DEFAULT_SCREEN_DPI;
constexpr int kClientWidth = 72;
constexpr int kClientHeight = 16;
constexpr int kIconSize = 16;  // the icon's square, at the left; the input box fills the rest
constexpr int kFontHeight = 14;
constexpr char kFontFace[] = "Times New Roman";
static_assert(sizeof kFontFace <= LF_FACESIZE);
constexpr DWORD kPopupStyle = WS_POPUPWINDOW;
constexpr DWORD kPopupExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | ES_UPPERCASE;

// GetDpiForWindow and AdjustWindowRectExForDpi came with Windows 10 (1607).
template <typename Function> Function User32Function(const char* name)
{
    return FindFunction<Function>(GetModuleHandleA("user32.dll"), name);
}

// A size of the design at a DPI.
int Scaled(int value, int dpi)
{
    return MulDiv(value, dpi, kDesignDpi);
}

// The DPI of the screen the popup stands on. Before Windows 10 the system's
// DPI, which is the primary screen's.
int DpiOf(HWND window)
{
    const auto dpiForWindow = User32Function<decltype(&GetDpiForWindow)>("GetDpiForWindow");
    if (dpiForWindow)
        return static_cast<int>(dpiForWindow(window));
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;  // never a popup of no size
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

// Keeps a popup of this size, its left and top edge at x and y, wholly on
// the monitor nearest to it.
void ClampPosition(int& x, int& y, SIZE size)
{
    RECT area;
    if (!MonitorAreaNearest({x, y, x + size.cx, y + size.cy}, area))
        return;
    x = std::min(std::max(x, static_cast<int>(area.left)), static_cast<int>(area.right - size.cx));
    y = std::min(std::max(y, static_cast<int>(area.top)), static_cast<int>(area.bottom - size.cy));
}

SIZE SizeOf(const RECT& rect)
{
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The popup's outer size around its client area at a DPI.
SIZE PopupFrameSize(int dpi)
{
    RECT frame = {0, 0, Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi)};
    const auto adjustForDpi =
        User32Function<decltype(&AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
    if (adjustForDpi)
        adjustForDpi(&frame, kPopupStyle, FALSE, kPopupExStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
    return SizeOf(frame);
}

// Moves the popup to a place and size; the clamp that every move goes
// through keeps it on a monitor.
void MovePopup(HWND window, POINT at, SIZE size)
{
    SetWindowPos(window, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT CreatePopupFont()
{
    LOGFONTA logFont = {};
    logFont.lfHeight = Scaled(kFontHeight, gPopupState.dpi);
    logFont.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(logFont.lfFaceName, kFontFace, sizeof kFontFace);
    return CreateFontIndirectA(&logFont);
}

// Lays the popup out for a DPI, its left and top edge at a place: its size,
// the input box's place and font. The font it had is released once the box
// has the new one; without a font the box keeps the system's.
void ApplyDpi(HWND window, int dpi, POINT at)
{
    gPopupState.dpi = dpi;
    const HFONT font = CreatePopupFont();
    const int iconSize = Scaled(kIconSize, dpi);
    SetWindowPos(gPopupState.edit, nullptr, iconSize, 0, Scaled(kClientWidth, dpi) - iconSize,
                 Scaled(kClientHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(gPopupState.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    gPopupState.font = font;
    MovePopup(window, at, PopupFrameSize(dpi));
}

// A record from the settings file is taken for its position and whether the
// popup was shown; its size is the popup's own, and a minimized or maximized
// state would leave the popup lost or covering the screen. A place on a
// monitor no longer attached comes back onto the nearest one. The popup is
// a tool window: the record's coordinates are screen coordinates.
void ApplyPlacement(WINDOWPLACEMENT& placement, SIZE size)
{
    RECT& normal = placement.rcNormalPosition;
    int x = normal.left;
    int y = normal.top;
    ClampPosition(x, y, size);
    normal = {x, y, x + size.cx, y + size.cy};
    placement.length = sizeof placement;
    placement.flags = 0;
    placement.showCmd = placement.showCmd == SW_HIDE ? SW_HIDE : SW_SHOWNORMAL;
    SetWindowPlacement(gPopupState.popup, &placement);
}

// The input box, laid out with the popup for its DPI. -1 when it cannot be
// made, which fails the popup's creation.
LRESULT OnCreate(HWND window, const CREATESTRUCTA& create)
{
    gPopupState.edit = CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "", kEditStyle, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditControlId)), create.hInstance, nullptr);
    if (!gPopupState.edit)
        return -1;
    SendMessageA(gPopupState.edit, EM_LIMITTEXT, kInputBoxLength, 0);
    ApplyDpi(window, DpiOf(window), {create.x, create.y});
    return 0;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (gCurrentCommand.icon)
        DrawIconEx(paint.hdc, 0, 0, gCurrentCommand.icon, Scaled(kIconSize, gPopupState.dpi),
                   Scaled(kIconSize, gPopupState.dpi), 0, nullptr, DI_NORMAL);
    EndPaint(window, &paint);
}

// Saves the placement and lets go of the watch, the hot key and the window,
// in that order.
void OnClose(HWND window)
{
    SavePlacement(false);
    CloseLinkChangeWatch();
    UnregisterHotKey(window, kHotKeyId);
    DestroyWindow(window);
}

// On showing and on hiding alike.
void OnShowWindow()
{
    EmptyInputBox();
    RefreshIfChanged();
}

// Hides the popup when the activation goes to another program.
void OnActivateApp(HWND window, bool active)
{
    if (!active)
        ShowWindow(window, SW_HIDE);
}

// A move is kept on the monitor nearest to where it would put the popup;
// a change that does not move it is left alone.
void OnWindowPosChanging(HWND window, WINDOWPOS& position)
{
    if (position.flags & SWP_NOMOVE)
        return;
    SIZE size = {position.cx, position.cy};
    if (position.flags & SWP_NOSIZE) {
        RECT place;
        GetWindowRect(window, &place);
        size = SizeOf(place);
    }
    ClampPosition(position.x, position.y, size);
}

// A monitor was added or taken away, or its resolution changed: the popup
// is moved back onto the monitor nearest to it.
void OnDisplayChange(HWND window)
{
    RECT place;
    GetWindowRect(window, &place);
    MovePopup(window, {place.left, place.top}, SizeOf(place));
}

// The popup moved onto a monitor of another scale, or the scale changed:
// it takes the place the system suggests (under the cursor during a drag),
// at its own size for the new DPI, which WM_GETDPISCALEDSIZE already told.
void OnDpiChanged(HWND window, WPARAM dpi, const RECT& suggested)
{
    ApplyDpi(window, HIWORD(dpi), {suggested.left, suggested.top});
}

// The popup has no menu to reach by keyboard. Windows opens the system menu
// when Alt is released alone, and after Alt+Space the popup sees only that
// release: the menu would then take the keys typed next.
LRESULT OnSysCommand(HWND window, WPARAM command, LPARAM lParam)
{
    if ((command & 0xFFF0) == SC_KEYMENU)
        return 0;
    return DefWindowProcA(window, WM_SYSCOMMAND, command, lParam);
}

// Every change of the box's text resolves it afresh, and the icon area is
// repainted for what it resolved to.
void OnCommand(HWND window, int controlId, int notificationCode)
{
    if (controlId != kEditControlId || notificationCode != EN_CHANGE)
        return;
    char text[kCommandBufferSize];
    const int length = GetWindowTextA(gPopupState.edit, text, sizeof text);
    ResolveKey(std::string_view(text, length));
    InvalidateRect(window, nullptr, TRUE);
}

// The user's environment variables changed: programs started from now on
// get the new values.
void OnSettingChange(LPARAM section)
{
    const char* name = reinterpret_cast<const char*>(section);
    if (name && std::strcmp(name, "Environment") == 0)
        RefreshEnvironment();
}

// The hot key gives this program the right to take the foreground, but the
// system may still refuse it (another program's menu or drag is in
// progress, the desktop is locked). Shown without the activation the popup
// would never hide on losing it: it is hidden again at once.
void OnHotKey(WPARAM id)
{
    if (id != kHotKeyId)
        return;
    ShowWindow(gPopupState.popup, SW_SHOWNORMAL);
    if (!SetForegroundWindow(gPopupState.popup) || GetForegroundWindow() != gPopupState.popup) {
        ShowWindow(gPopupState.popup, SW_HIDE);
        return;
    }
    SetFocus(gPopupState.edit);
}

// The messages the popup only watches (showing, activation, moving, the
// box's commands, the hot key) go on to DefWindowProcA after its own work, so
// that the platform's handling of them stays whole.
LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, *reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        OnClose(window);
        return 0;
    case WM_SHOWWINDOW:
        OnShowWindow();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
        OnActivateApp(window, wParam != FALSE);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process is ended once this returns: no close handling follows.
        if (wParam)
            SavePlacement(false);
        return 0;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(window, *reinterpret_cast<WINDOWPOS*>(lParam));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCHITTEST:
        return HTCAPTION;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(window);
        return 0;
    case WM_GETDPISCALEDSIZE:
        *reinterpret_cast<SIZE*>(lParam) = PopupFrameSize(static_cast<int>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(window, wParam, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETTINGCHANGE:
        OnSettingChange(lParam);
        return 0;
    case WM_HOTKEY:
        OnHotKey(wParam);
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The result is not looked at: without the class, creating the popup fails
// and InitInstance says so.
void RegisterPopupClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PopupWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = kPopupClassName;
    RegisterClassA(&windowClass);
}

// Hidden, touching the bottom-right corner of the primary monitor, with its
// input box. It is made at its 96-DPI size, then laid out for its monitor's
// DPI where it stands.
bool CreatePopup(HINSTANCE instance)
{
    const SIZE size = PopupFrameSize(kDesignDpi);
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    gPopupState.popup =
        CreateWindowExA(kPopupExStyle | WS_EX_TOPMOST, kPopupClassName, kPopupTitle, kPopupStyle,
                        primary.rcMonitor.right - size.cx, primary.rcMonitor.bottom - size.cy,
                        size.cx, size.cy, nullptr, nullptr, instance, nullptr);
    return gPopupState.popup != nullptr;
}

// The saved placement, or hidden where it is when none can be read.
void RestorePlacement()
{
    WINDOWPLACEMENT placement = {};
    RECT place;
    GetWindowRect(gPopupState.popup, &place);
    if (ReadSavedPlacement(placement))
        ApplyPlacement(placement, SizeOf(place));
    else
        ShowWindow(gPopupState.popup, SW_HIDE);
}

}  // namespace

void EmptyInputBox()
{
    SetWindowTextA(gPopupState.edit, "");
}

bool InitInstance(HINSTANCE instance)
{
    // Shell extensions and verb handlers are COM objects: the icon lookups and
    // launches want a single-threaded apartment, without OLE1's DDE.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // A lookup on an empty card reader or disc drive fails instead of showing
    // the system's "no disk" box. The thread's mode: programs started from
    // here do not inherit it.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
    RegisterPopupClass(instance);
    if (!CreatePopup(instance))
        return false;
    RestorePlacement();
    SetFocus(gPopupState.edit);
    HotKey hotKey;
    std::string hotKeyText;
    ReadHotKeySetting(hotKey, hotKeyText);
    if (!RegisterHotKey(gPopupState.popup, kHotKeyId, hotKey.modifiers, hotKey.virtualKey))
        return false;
    StartLinkChangeWatch();
    // Keys reach the box as typed: no input method composes them.
    ImmAssociateContext(gPopupState.edit, nullptr);
    return true;
}
