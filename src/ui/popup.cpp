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

// A record from the settings file is taken for its position and whether the
// popup was shown; its size is the popup's own, and a minimized or maximized
// state would leave the popup lost or covering the screen.
void ApplyPlacement(WINDOWPLACEMENT& placement, int width, int height)
{
    RECT& normal = placement.rcNormalPosition;
    int x = normal.left;
    int y = normal.top;
    ClampPosition(x, y);
    normal = {x, y, x + width, y + height};
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

void OnHotKey(WPARAM id)
{
    if (id != kHotKeyId)
        return;
    ShowWindow(gPopupState.popup, SW_SHOWNORMAL);
    SetForegroundWindow(gPopupState.popup);
    SetFocus(gPopupState.edit);
}

}  // namespace

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

LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        if (!GetUpdateRect(window, nullptr, FALSE))
            break;
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        OnClose(window);
        break;
    case WM_SHOWWINDOW:
        ClearEdit();
        RefreshIfChanged();
        break;
    case WM_ACTIVATEAPP:
        if (!wParam)
            ShowWindow(window, SW_HIDE);
        break;
    case WM_WINDOWPOSCHANGING: {
        WINDOWPOS* position = reinterpret_cast<WINDOWPOS*>(lParam);
        ClampPosition(position->x, position->y);
        break;
    }
    case WM_NCHITTEST:
        return HTCAPTION;
    case WM_COMMAND:
        ResolveKey(LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_HOTKEY:
        OnHotKey(wParam);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool InitInstance(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PopupWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = kPopupClassName;
    RegisterClassA(&windowClass);

    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    gPopupState.maxX = GetSystemMetrics(SM_CXSCREEN) - width;
    gPopupState.maxY = GetSystemMetrics(SM_CYSCREEN) - height;

    gPopupState.popup = CreateWindowExA(kPopupExStyle | WS_EX_TOPMOST, kPopupClassName, kPopupTitle,
                                        kPopupStyle, gPopupState.maxX, gPopupState.maxY, width,
                                        height, nullptr, nullptr, instance, nullptr);
    if (!gPopupState.popup)
        return false;
    gPopupState.edit = CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "", kEditStyle, kEditLeft, 0, kEditWidth, kClientHeight,
        gPopupState.popup, reinterpret_cast<HMENU>(static_cast<INT_PTR>(PopupState::EditControlId)),
        instance, nullptr);
    if (!gPopupState.edit)
        return false;
    SendMessageA(gPopupState.edit, WM_SETFONT, reinterpret_cast<WPARAM>(gPopupState.font), FALSE);
    SendMessageA(gPopupState.edit, EM_LIMITTEXT, kInputBoxLength, 0);

    WINDOWPLACEMENT placement = {};
    if (GetPrivateProfileStructA(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                                 PopupState::settingsPath))
        ApplyPlacement(placement, width, height);
    else
        ShowWindow(gPopupState.popup, SW_HIDE);
    SetFocus(gPopupState.edit);

    if (!RegisterHotKey(gPopupState.popup, kHotKeyId, MOD_ALT, VK_SPACE))
        return false;
    StartLinkChangeWatch();
    ImmAssociateContext(gPopupState.edit, nullptr);
    return true;
}
