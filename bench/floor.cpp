// The floor Kerrow is measured against: the least any hot-key popup that
// shows a target's icon must do. It registers its class, creates a hidden
// topmost popup with an edit box, registers Alt+Space and shows itself on the
// hot key; when the box changes it asks the shell for the small icon of one
// fixed file (its command line) and paints it, on a thread made a
// single-threaded apartment first, as the shell's calls require. It has no
// table, no settings, no font and no change watch. Escape hides it and the
// box is emptied on every show, so that one measuring tool drives both
// programs alike.
//   floor [/focus] TARGET
// /focus gives the box the keyboard focus at start-up, as Kerrow does, which
// activates the hidden popup: the measuring script uses it to tell what that
// one step costs.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <cstring>

namespace {

constexpr int kHotKeyId = 0;
constexpr int kEditId = 100;
constexpr int kIconSize = 16;
constexpr int kBoxWidth = 56;
HWND gPopup;
HWND gEdit;
HICON gIcon;
const char* gTarget;

void ShowTargetIcon()
{
    if (gIcon)
        DestroyIcon(gIcon);
    gIcon = nullptr;
    SHFILEINFOA info = {};
    if (GetWindowTextLengthA(gEdit) > 0 &&
        SHGetFileInfoA(gTarget, FILE_ATTRIBUTE_ARCHIVE, &info, sizeof info,
                       SHGFI_ICON | SHGFI_SMALLICON))
        gIcon = info.hIcon;
    InvalidateRect(gPopup, nullptr, TRUE);
}

LRESULT CALLBACK FloorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HOTKEY:
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        SetFocus(gEdit);
        return 0;
    case WM_SHOWWINDOW:
        SetWindowTextA(gEdit, "");
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE)
            ShowTargetIcon();
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        if (gIcon)
            DrawIconEx(paint.hdc, 0, 0, gIcon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    constexpr char kFocusOption[] = "/focus ";
    const bool focusAtStart = !std::strncmp(commandLine, kFocusOption, sizeof kFocusOption - 1);
    gTarget = focusAtStart ? commandLine + sizeof kFocusOption - 1 : commandLine;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FloorWndProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = "Floor_Window";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, kIconSize + kBoxWidth, kIconSize};
    AdjustWindowRectEx(&frame, WS_POPUPWINDOW, FALSE, WS_EX_TOOLWINDOW);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    gPopup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Floor_Window", "Floor",
                             WS_POPUPWINDOW, GetSystemMetrics(SM_CXSCREEN) - width,
                             GetSystemMetrics(SM_CYSCREEN) - height, width, height, nullptr,
                             nullptr, instance, nullptr);
    gEdit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_UPPERCASE,
                            kIconSize, 0, kBoxWidth, kIconSize, gPopup,
                            reinterpret_cast<HMENU>(kEditId), instance, nullptr);
    if (!gPopup || !gEdit || !RegisterHotKey(gPopup, kHotKeyId, MOD_ALT, VK_SPACE))
        return 1;
    if (focusAtStart)
        SetFocus(gEdit);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            ShowWindow(gPopup, SW_HIDE);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
