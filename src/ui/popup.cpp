// The popup is a topmost tool window without a caption: every point of it
// answers HTCAPTION, so it is dragged by its icon or its border, and every
// proposed position is clamped to the screen measured at start-up. Showing
// and hiding both empty the input box and poll the change watch, so a
// changed link.dat is read before anything can be typed. Losing the
// activation to another program hides it.
#include "ui/popup.h"

#include <imm.h>

#include "commands/command_text.h"
#include "commands/current_command.h"
#include "commands/resolve_key.h"
#include "popup_state.h"
#include "table/link_watch.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr const char* kPopupTitle = "Kerrow by Pellam";
constexpr const char* kSettingsSection = "Window";
constexpr const char* kSettingsKey = "Placement";

constexpr int kClientWidth = 72;
constexpr int kClientHeight = 16;
constexpr int kIconSize = 16;
constexpr int kEditLeft = kIconSize;
constexpr int kEditWidth = kClientWidth - kIconSize;
constexpr DWORD kPopupStyle = WS_POPUPWINDOW;
constexpr DWORD kPopupExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | ES_UPPERCASE;

void ClearEdit()
{
    SendMessageA(gPopupState.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
}

// Keeps a proposed left and top edge on the screen as measured at start-up.
void ClampPosition(int& x, int& y)
{
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    if (x > gPopupState.maxX)
        x = gPopupState.maxX;
    if (y > gPopupState.maxY)
        y = gPopupState.maxY;
}

// A record from the settings file is taken for its position and whether the
// popup was shown; its size is the popup's own, and a minimized or maximized
// state would leave the popup lost or covering the screen.
void ApplyPlacement(WINDOWPLACEMENT& placement, SIZE size)
{
    RECT& normal = placement.rcNormalPosition;
    int x = normal.left;
    int y = normal.top;
    ClampPosition(x, y);
    normal = {x, y, x + size.cx, y + size.cy};
    placement.length = sizeof placement;
    placement.flags = 0;
    placement.showCmd = placement.showCmd == SW_HIDE ? SW_HIDE : SW_SHOWNORMAL;
    SetWindowPlacement(gPopupState.popup, &placement);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (gCurrentCommand.icon)
        DrawIconEx(paint.hdc, 0, 0, gCurrentCommand.icon, kIconSize, kIconSize, 0, nullptr,
                   DI_NORMAL);
    EndPaint(window, &paint);
}

// Saves the placement and lets go of the watch, the hot key and the window,
// in that order.
void OnClose(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement))
        WritePrivateProfileStructA(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                                   PopupState::settingsPath);
    CloseLinkChangeWatch();
    UnregisterHotKey(window, kHotKeyId);
    DestroyWindow(window);
}

// On showing and on hiding alike.
void OnShowWindow()
{
    ClearEdit();
    RefreshIfChanged();
}

// Hides the popup when the activation goes to another program.
void OnActivateApp(HWND window, bool active)
{
    if (!active)
        ShowWindow(window, SW_HIDE);
}

void OnWindowPosChanging(WINDOWPOS& position)
{
    ClampPosition(position.x, position.y);
}

void OnHotKey(WPARAM id)
{
    if (id != kHotKeyId)
        return;
    ShowWindow(gPopupState.popup, SW_SHOWNORMAL);
    SetForegroundWindow(gPopupState.popup);
    SetFocus(gPopupState.edit);
}

// The popup answers WM_DESTROY, WM_NCHITTEST and a paint request with
// something to draw by itself. The messages it only watches (showing,
// activation, moving, the box's commands, the hot key) go on to
// DefWindowProcA after its own work, so that the platform's handling of them
// stays whole.
LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        // No update region: the default handling ends a request with nothing to draw.
        if (!GetUpdateRect(window, nullptr, FALSE))
            return DefWindowProcA(window, message, wParam, lParam);
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        OnClose(window);
        // Passed on like any close request; its DestroyWindow finds the popup gone.
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SHOWWINDOW:
        OnShowWindow();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
        OnActivateApp(window, wParam != FALSE);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCHITTEST:
        return HTCAPTION;
    case WM_COMMAND:
        ResolveKey(LOWORD(wParam), HIWORD(wParam));
        return DefWindowProcA(window, message, wParam, lParam);
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

// The popup's outer size around its client area.
SIZE PopupFrameSize()
{
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The largest left and top edge that keep the popup on the screen.
void MeasurePositionBounds(SIZE size)
{
    gPopupState.maxX = GetSystemMetrics(SM_CXSCREEN) - size.cx;
    gPopupState.maxY = GetSystemMetrics(SM_CYSCREEN) - size.cy;
}

// Hidden, touching the bottom-right corner of the screen.
bool CreatePopup(HINSTANCE instance, SIZE size)
{
    gPopupState.popup = CreateWindowExA(kPopupExStyle | WS_EX_TOPMOST, kPopupClassName, kPopupTitle,
                                        kPopupStyle, gPopupState.maxX, gPopupState.maxY, size.cx,
                                        size.cy, nullptr, nullptr, instance, nullptr);
    return gPopupState.popup != nullptr;
}

bool CreateInputBox(HINSTANCE instance)
{
    gPopupState.edit = CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "", kEditStyle, kEditLeft, 0, kEditWidth, kClientHeight,
        gPopupState.popup, reinterpret_cast<HMENU>(static_cast<INT_PTR>(PopupState::EditControlId)),
        instance, nullptr);
    if (!gPopupState.edit)
        return false;
    SendMessageA(gPopupState.edit, WM_SETFONT, reinterpret_cast<WPARAM>(gPopupState.font), FALSE);
    SendMessageA(gPopupState.edit, EM_LIMITTEXT, kInputBoxLength, 0);
    return true;
}

// The saved placement, or hidden where it is when none can be read.
void RestorePlacement(SIZE size)
{
    WINDOWPLACEMENT placement = {};
    if (GetPrivateProfileStructA(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                                 PopupState::settingsPath))
        ApplyPlacement(placement, size);
    else
        ShowWindow(gPopupState.popup, SW_HIDE);
}

}  // namespace

bool InitInstance(HINSTANCE instance)
{
    RegisterPopupClass(instance);
    const SIZE size = PopupFrameSize();
    MeasurePositionBounds(size);
    if (!CreatePopup(instance, size) || !CreateInputBox(instance))
        return false;
    RestorePlacement(size);
    SetFocus(gPopupState.edit);
    if (!RegisterHotKey(gPopupState.popup, kHotKeyId, kHotKeyModifiers, kHotKeyVirtualKey))
        return false;
    StartLinkChangeWatch();
    // Keys reach the box as typed: no input method composes them.
    ImmAssociateContext(gPopupState.edit, nullptr);
    return true;
}
