// The floor Kerrow is measured against: the least any hot-key popup must do.
// It registers its class, creates a hidden topmost popup with an edit box,
// registers Alt+Space and shows itself on the hot key; it has no table, no
// icon, no settings and no change watch. Escape hides it again, so that the
// same measuring script can drive both programs.
#include <windows.h>

namespace {

constexpr int kHotKeyId = 0;
constexpr int kEditId = 100;
HWND gPopup;
HWND gEdit;

LRESULT CALLBACK FloorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HOTKEY:
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        SetFocus(gEdit);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FloorWndProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = "Floor_Window";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, 72, 16};
    AdjustWindowRectEx(&frame, WS_POPUPWINDOW, FALSE, WS_EX_TOOLWINDOW);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    gPopup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Floor_Window", "Floor",
                             WS_POPUPWINDOW, GetSystemMetrics(SM_CXSCREEN) - width,
                             GetSystemMetrics(SM_CYSCREEN) - height, width, height, nullptr,
                             nullptr, instance, nullptr);
    gEdit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_UPPERCASE, 16,
                            0, 56, 16, gPopup, reinterpret_cast<HMENU>(kEditId), instance, nullptr);
    if (!gPopup || !gEdit || !RegisterHotKey(gPopup, kHotKeyId, MOD_ALT, VK_SPACE))
        return 1;
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
