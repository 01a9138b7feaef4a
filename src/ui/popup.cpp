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

#include <cstring>
#include <string>
#include <string_view>

#include "commands/command_text.h"
#include "commands/current_command.h"
#include "commands/environment.h"
#include "commands/resolve_key.h"
#include "popup_state.h"
#include "table/link_files.h"
#include "table/link_watch.h"
#include "ui/layout.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr const char* kPopupTitle = "Kerrow by Pellam";

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | ES_UPPERCASE;

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
    LayOutForDpi(window, gPopupState.edit, DpiOf(window), {create.x, create.y});
    return 0;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (gCurrentCommand.icon)
        DrawIconEx(paint.hdc, 0, 0, gCurrentCommand.icon, IconSize(gPopupState.dpi),
                   IconSize(gPopupState.dpi), 0, nullptr, DI_NORMAL);
    EndPaint(window, &paint);
}

// GetWindowPlacement never reports a hidden window as hidden (its show
// command is SW_SHOWNORMAL then): the record is marked SW_HIDE here, so that
// a start shows the popup only when it was closed shown, by #exit typed into
// it. Hidden too when asHidden asks it: the session that follows #shutdown
// and #reboot must not start with the popup taking the keys.
void SavePlacement(HWND window, bool asHidden)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return;
    if (asHidden || !IsWindowVisible(window))
        placement.showCmd = SW_HIDE;
    WritePlacement(placement);
}

// Saves the placement and lets go of the watch, the hot key and the window,
// in that order.
void OnClose(HWND window)
{
    SavePlacement(window, false);
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
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The popup moved onto a monitor of another scale, or the scale changed:
// it takes the place the system suggests (under the cursor during a drag),
// at its own size for the new DPI, which WM_GETDPISCALEDSIZE already told.
void OnDpiChanged(HWND window, WPARAM dpi, const RECT& suggested)
{
    LayOutForDpi(window, gPopupState.edit, HIWORD(dpi), {suggested.left, suggested.top});
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
            SavePlacement(window, false);
        return 0;
    case kSaveHiddenPlacementMessage:
        SavePlacement(window, true);
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
    const POINT corner = PrimaryCorner(size);
    gPopupState.popup =
        CreateWindowExA(kPopupExStyle | WS_EX_TOPMOST, kPopupClassName, kPopupTitle, kPopupStyle,
                        corner.x, corner.y, size.cx, size.cy, nullptr, nullptr, instance, nullptr);
    return gPopupState.popup != nullptr;
}

// The saved placement, or hidden where it is when none can be read.
void RestorePlacement()
{
    WINDOWPLACEMENT placement = {};
    RECT place;
    GetWindowRect(gPopupState.popup, &place);
    if (ReadPlacement(placement))
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
