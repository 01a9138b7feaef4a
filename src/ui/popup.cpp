// The popup is a topmost tool window without a caption: every point of it
// answers HTCAPTION, so it is dragged by its icon or its border, and every
// proposed position is clamped to the screen, measured again whenever the
// display changes (a resolution change, docking or undocking). Showing
// and hiding both empty the input box and poll the change watch, so a
// changed link.dat is read before anything can be typed. Losing the
// activation to another program hides it.
#include "ui/popup.h"

#include <imm.h>
#include <objbase.h>

#include <cstring>
#include <string_view>

#include "commands/command_text.h"
#include "commands/current_command.h"
#include "commands/resolve_key.h"
#include "dll_search.h"
#include "popup_state.h"
#include "table/link_watch.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr const char* kPopupTitle = "Kerrow by Pellam";
constexpr const char* kSettingsSection = "Window";
constexpr const char* kSettingsKey = "Placement";
constexpr const char* kSettingsPath = ".\\Kerrow.ini";  // in the current directory

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

// A size of the design at the popup's DPI.
int Scaled(int value)
{
    return MulDiv(value, gPopupState.dpi, kDesignDpi);
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

// Keeps a proposed left and top edge on the screen.
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

// The largest left and top edge that keep a popup of this size on the
// screen.
void MeasurePositionBounds(SIZE size)
{
    gPopupState.maxX = GetSystemMetrics(SM_CXSCREEN) - size.cx;
    gPopupState.maxY = GetSystemMetrics(SM_CYSCREEN) - size.cy;
}

// The popup's outer size around its client area, at its DPI.
SIZE PopupFrameSize()
{
    RECT frame = {0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
    const auto adjustForDpi =
        User32Function<decltype(&AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
    if (adjustForDpi)
        adjustForDpi(&frame, kPopupStyle, FALSE, kPopupExStyle, gPopupState.dpi);
    else
        AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Gives the popup its size and keeps it where it stands, on the screen as
// measured now: the clamp that every move goes through does the rest.
void FitToScreen(HWND window, SIZE size)
{
    MeasurePositionBounds(size);
    RECT place;
    GetWindowRect(window, &place);
    SetWindowPos(window, nullptr, place.left, place.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT CreatePopupFont()
{
    LOGFONTA logFont = {};
    logFont.lfHeight = Scaled(kFontHeight);
    logFont.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(logFont.lfFaceName, kFontFace, sizeof kFontFace);
    return CreateFontIndirectA(&logFont);
}

// Lays the popup out for a DPI: its size, the input box's place and font.
// The font it had is released once the box has the new one; without a font
// the box keeps the system's.
void ApplyDpi(HWND window, int dpi)
{
    gPopupState.dpi = dpi;
    const HFONT font = CreatePopupFont();
    const int iconSize = Scaled(kIconSize);
    SetWindowPos(gPopupState.edit, nullptr, iconSize, 0, Scaled(kClientWidth) - iconSize,
                 Scaled(kClientHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(gPopupState.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    gPopupState.font = font;
    FitToScreen(window, PopupFrameSize());
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
    ApplyDpi(window, DpiOf(window));
    return 0;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (gCurrentCommand.icon)
        DrawIconEx(paint.hdc, 0, 0, gCurrentCommand.icon, Scaled(kIconSize), Scaled(kIconSize), 0,
                   nullptr, DI_NORMAL);
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
                                   kSettingsPath);
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

void OnWindowPosChanging(WINDOWPOS& position)
{
    ClampPosition(position.x, position.y);
}

// The screen changed size (a resolution change, docking or undocking): the
// popup is moved back onto it.
void OnDisplayChange(HWND window)
{
    RECT place;
    GetWindowRect(window, &place);
    FitToScreen(window, {place.right - place.left, place.bottom - place.top});
}

// The screen's scale changed: the popup takes the new layout where it
// stands, not the place the system suggests.
void OnDpiChanged(HWND window, WPARAM dpi)
{
    ApplyDpi(window, HIWORD(dpi));
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

void OnHotKey(WPARAM id)
{
    if (id != kHotKeyId)
        return;
    ShowWindow(gPopupState.popup, SW_SHOWNORMAL);
    SetForegroundWindow(gPopupState.popup);
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
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCHITTEST:
        return HTCAPTION;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(window);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(window, wParam);
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam));
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

// Hidden, touching the bottom-right corner of the screen, with its input box.
// It is made at its 96-DPI size, then laid out for its screen's DPI.
bool CreatePopup(HINSTANCE instance)
{
    const SIZE size = PopupFrameSize();
    MeasurePositionBounds(size);
    gPopupState.popup = CreateWindowExA(kPopupExStyle | WS_EX_TOPMOST, kPopupClassName, kPopupTitle,
                                        kPopupStyle, gPopupState.maxX, gPopupState.maxY, size.cx,
                                        size.cy, nullptr, nullptr, instance, nullptr);
    return gPopupState.popup != nullptr;
}

// The saved placement, or hidden where it is when none can be read.
void RestorePlacement()
{
    WINDOWPLACEMENT placement = {};
    if (GetPrivateProfileStructA(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                                 kSettingsPath))
        ApplyPlacement(placement, PopupFrameSize());
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
    if (!RegisterHotKey(gPopupState.popup, kHotKeyId, kHotKeyModifiers, kHotKeyVirtualKey))
        return false;
    StartLinkChangeWatch();
    // Keys reach the box as typed: no input method composes them.
    ImmAssociateContext(gPopupState.edit, nullptr);
    return true;
}
