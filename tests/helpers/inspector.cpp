// Looks at a running Kerrow from outside, for the end-to-end scripts. Each
// verb prints key=value lines on stdout; the exit code says whether it did
// what was asked.
//   state                     the popup's state, once
//   expect SECONDS K=V...     polls the state until every K=V holds; 1 at the deadline
//   ready SECONDS             waits until Kerrow runs its message loop (see Ready)
//   close                     posts WM_CLOSE to the popup
//   hotkey                    hotkey=free|taken: could Alt+Space be registered now?
//   window SECONDS [X Y]      another program's window, activated, for at most SECONDS
//   placement FILE SIZE SHOW L T R B   writes a placement record of SIZE bytes
//   readplacement FILE        the record FILE holds, or placement=none
// State keys: count (popups), dw dh (desktop), visible, x y w h (window), cw ch
// (client area), onscreen, text, fg (popup, none or the foreground window's
// class), focus (edit, other or none), menu (1 while the popup's thread is in
// menu mode) and icon (grey or painted: the 16 x 16 icon area on the screen).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kPopupClass = "Kerrow_Window";
constexpr const char* kOtherClass = "KerrowOtherProgram";
constexpr int kEditId = 100;
constexpr int kIconSize = 16;
constexpr COLORREF kBackground = RGB(192, 192, 192);
constexpr DWORD kPollMs = 50;

struct Count {
    HWND first = nullptr;
    int count = 0;
};

BOOL CALLBACK CountPopup(HWND window, LPARAM data)
{
    char name[64];
    if (GetClassNameA(window, name, sizeof name) && std::strcmp(name, kPopupClass) == 0) {
        Count& found = *reinterpret_cast<Count*>(data);
        if (!found.first)
            found.first = window;
        ++found.count;
    }
    return TRUE;
}

// Whether every pixel of the icon area is the popup's light grey background.
bool IconAreaPlain(HWND popup)
{
    POINT origin = {0, 0};
    ClientToScreen(popup, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kIconSize;
    info.bmiHeader.biHeight = -kIconSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, kIconSize, kIconSize, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    bool plain = true;
    const DWORD grey =
        GetRValue(kBackground) << 16 | GetGValue(kBackground) << 8 | GetBValue(kBackground);
    for (int i = 0; i < kIconSize * kIconSize; ++i)
        plain = plain && (static_cast<const DWORD*>(bits)[i] & 0xFFFFFF) == grey;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return plain;
}

using State = std::vector<std::pair<std::string, std::string>>;

State ReadState()
{
    Count found;
    EnumWindows(CountPopup, reinterpret_cast<LPARAM>(&found));
    const int dw = GetSystemMetrics(SM_CXSCREEN);
    const int dh = GetSystemMetrics(SM_CYSCREEN);
    State state = {{"count", std::to_string(found.count)},
                   {"dw", std::to_string(dw)},
                   {"dh", std::to_string(dh)}};
    HWND popup = found.first;
    if (!popup)
        return state;
    HWND edit = GetDlgItem(popup, kEditId);
    RECT window = {}, client = {};
    GetWindowRect(popup, &window);
    GetClientRect(popup, &client);
    char text[64] = "";
    if (edit)
        SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(popup, nullptr), &thread);
    HWND foreground = GetForegroundWindow();
    char foregroundClass[64] = "none";
    if (foreground == popup)
        std::strcpy(foregroundClass, "popup");
    else if (foreground)
        GetClassNameA(foreground, foregroundClass, sizeof foregroundClass);
    const bool visible = IsWindowVisible(popup);
    const bool onscreen =
        window.left >= 0 && window.top >= 0 && window.right <= dw && window.bottom <= dh;
    state.insert(state.end(),
                 {{"visible", visible ? "1" : "0"},
                  {"x", std::to_string(window.left)},
                  {"y", std::to_string(window.top)},
                  {"w", std::to_string(window.right - window.left)},
                  {"h", std::to_string(window.bottom - window.top)},
                  {"cw", std::to_string(client.right)},
                  {"ch", std::to_string(client.bottom)},
                  {"onscreen", onscreen ? "1" : "0"},
                  {"text", text},
                  {"fg", foregroundClass},
                  {"focus",
                   thread.hwndFocus == edit ? "edit"
                       : thread.hwndFocus   ? "other"
                                            : "none"},
                  {"menu", thread.flags & GUI_INMENUMODE ? "1" : "0"},
                  {"icon",
                   !visible                   ? "hidden"
                       : IconAreaPlain(popup) ? "grey"
                                              : "painted"}});
    return state;
}

void Print(const State& state)
{
    for (const auto& [key, value] : state)
        std::printf("%s=%s\n", key.c_str(), value.c_str());
}

bool Holds(const State& state, int count, char** wanted)
{
    for (int i = 0; i < count; ++i) {
        bool found = false;
        for (const auto& [key, value] : state)
            found = found || key + "=" + value == wanted[i];
        if (!found)
            return false;
    }
    return true;
}

int Expect(DWORD seconds, int count, char** wanted)
{
    const DWORD deadline = GetTickCount() + seconds * 1000;
    for (;;) {
        const State state = ReadState();
        if (Holds(state, count, wanted)) {
            Print(state);
            return 0;
        }
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
            Print(state);
            return 1;
        }
        Sleep(kPollMs);
    }
}

HWND Popup()
{
    return FindWindowA(kPopupClass, nullptr);
}

bool EditTextIs(HWND edit, const char* expected)
{
    char text[64] = "";
    SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return std::strcmp(text, expected) == 0;
}

// A window can exist while Kerrow is still starting: the hot key is
// registered after the windows are made. A posted message is only taken by
// the message loop, so a character posted to the box shows up in its text
// once the loop runs; a backspace takes it out again. A window that goes away
// meanwhile (a copy that failed to start) is looked for again.
int Ready(DWORD seconds)
{
    const DWORD deadline = GetTickCount() + seconds * 1000;
    HWND edit = nullptr;
    auto waitFor = [&](auto condition) {
        while (!condition()) {
            if (!IsWindow(edit) || static_cast<LONG>(GetTickCount() - deadline) >= 0)
                return false;
            Sleep(kPollMs);
        }
        return true;
    };
    bool ready = false;
    while (!ready && static_cast<LONG>(GetTickCount() - deadline) < 0) {
        edit = GetDlgItem(Popup(), kEditId);
        ready = edit && PostMessageA(edit, WM_CHAR, 'q', 0) &&
            waitFor([&] { return EditTextIs(edit, "Q"); }) &&
            PostMessageA(edit, WM_CHAR, VK_BACK, 0) &&
            waitFor([&] { return EditTextIs(edit, ""); });
        if (!ready)
            Sleep(kPollMs);
    }
    std::printf("ready=%d\n", ready ? 1 : 0);
    return ready ? 0 : 1;
}

LRESULT CALLBACK OtherWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY || message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int OtherWindow(DWORD seconds, int x, int y)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = OtherWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kOtherClass;
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, kOtherClass, "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                        300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        return 1;
    SetForegroundWindow(window);
    SetTimer(window, 1, seconds * 1000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int WritePlacement(char** args)
{
    const UINT size = std::strtoul(args[1], nullptr, 0);
    unsigned char record[256] = {};
    if (size > sizeof record)
        return 2;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    placement.showCmd = std::strtoul(args[2], nullptr, 0);
    placement.rcNormalPosition = {std::atoi(args[3]), std::atoi(args[4]), std::atoi(args[5]),
                                  std::atoi(args[6])};
    std::memcpy(record, &placement, sizeof placement);
    return WritePrivateProfileStructA("Window", "Placement", record, size, args[0]) ? 0 : 1;
}

int ReadPlacement(const char* file)
{
    WINDOWPLACEMENT placement = {};
    if (!GetPrivateProfileStructA("Window", "Placement", &placement, sizeof placement, file)) {
        std::printf("placement=none\n");
        return 1;
    }
    const RECT& r = placement.rcNormalPosition;
    std::printf("placement=%u show=%u x=%ld y=%ld r=%ld b=%ld\n", placement.length,
                placement.showCmd, r.left, r.top, r.right, r.bottom);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "state") {
        Print(ReadState());
        return 0;
    }
    if (verb == "expect" && argc >= 3)
        return Expect(std::atoi(argv[2]), argc - 3, argv + 3);
    if (verb == "ready" && argc == 3)
        return Ready(std::atoi(argv[2]));
    if (verb == "close")
        return Popup() && PostMessageA(Popup(), WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == "hotkey") {
        const bool free = RegisterHotKey(nullptr, 1, MOD_ALT, VK_SPACE);
        if (free)
            UnregisterHotKey(nullptr, 1);
        std::printf("hotkey=%s\n", free ? "free" : "taken");
        return 0;
    }
    if (verb == "window" && (argc == 3 || argc == 5))
        return OtherWindow(std::atoi(argv[2]), argc == 5 ? std::atoi(argv[3]) : 100,
                           argc == 5 ? std::atoi(argv[4]) : 100);
    if (verb == "placement" && argc == 9)
        return WritePlacement(argv + 2);
    if (verb == "readplacement" && argc == 3)
        return ReadPlacement(argv[2]);
    std::fprintf(
        stderr,
        "usage: inspector state|expect|ready|close|hotkey|window|placement|readplacement\n");
    return 2;
}
