// The popup InitInstance makes, driven by real messages: what the box text
// resolves to and the icon it shows, the keys the loop step keeps from the
// box, the placements a Kerrow.ini may hold, clamping, the change watch, and
// the built-ins that need no second process or the recycle bin.
#include "support.h"

#include <objbase.h>

#include <algorithm>
#include <sstream>
#include <thread>
#include <vector>

#include "commands/run_command.h"

namespace {

// As Enter runs a key that resolved to VALUE.
void RunKeyOf(const std::string& value)
{
    gShortcutTable = {{"R", value}};
    SetWindowTextA(gPopupState.edit, "R");
    RunCurrentCommand();
    Pump();
}

// Each row replaces the record of the one before: the shell's icon it held
// must be destroyed (CopyIcon fails on it), a system icon never; and each
// asks for a repaint.
TEST_F(PopupTest, TheBoxTextResolvesToCommandArgumentsAndIcon)
{
    ShowWindow(gPopupState.popup, SW_SHOWNOACTIVATE);  // a hidden window keeps no update region
    // U and K cannot be looked at without waiting (a host that does not
    // exist; K: is the session's disc drive): asked by name, they get the
    // icon of their file type.
    const std::string notepad = "C:\\windows\\notepad.exe", missing = "C:\\no such\\app.exe",
                      unc = "\\\\nohost.invalid\\share\\notes.txt", disc = "K:\\notes.txt",
                      tooLong = "C:\\" + std::string(kCommandBufferSize - 3, 'a');
    std::ofstream("link.dat") << "N\t" << notepad << "\t-x  y\nP\t" << missing
                              << "\nH\t#no\targ\nU\t" << unc << "\nK\t" << disc << "\nL\t"
                              << tooLong << "\n";
    LoadLinkFile();
    // The system's icons are shared; "shell" stands for any icon the record owns.
    const HICON shell = reinterpret_cast<HICON>(1), warning = LoadIconA(nullptr, IDI_EXCLAMATION),
                application = LoadIconA(nullptr, IDI_APPLICATION);
    const std::tuple<const char*, std::string, const char*, HICON> rows[] = {
        {"N", notepad, "-x  y", shell}, {"P", missing, nullptr, application},
        {"H", "#no", "arg", warning},   {"N", notepad, "-x  y", shell},
        {"L", "", nullptr, nullptr},    {"NO", "", nullptr, nullptr},
        {"U", unc, nullptr, shell},     {"K", disc, nullptr, shell},
    };
    for (const auto& [text, command, arguments, icon] : rows) {
        const HICON before = gCurrentCommand.icon;
        const bool owned = gCurrentCommand.ownsIcon;
        ValidateRect(gPopupState.popup, nullptr);
        SetWindowTextA(gPopupState.edit, text);
        EXPECT_EQ(gCurrentCommand.command, command) << text;
        EXPECT_STREQ(gCurrentCommand.arguments, arguments) << text;
        EXPECT_EQ(gCurrentCommand.ownsIcon ? shell : gCurrentCommand.icon, icon) << text;
        EXPECT_TRUE(GetUpdateRect(gPopupState.popup, nullptr, FALSE)) << text << ": no repaint";
        const HICON copy = before ? CopyIcon(before) : nullptr;
        EXPECT_TRUE(!before || (copy != nullptr) != owned)
            << text << ": the icon before it, " << (owned ? "owned" : "shared") << ", is "
            << (copy ? "alive" : "destroyed");
        DestroyIcon(copy);
    }
}

std::vector<WPARAM> gKeysSeenByBox;
WNDPROC gBoxProc;

LRESULT CALLBACK NotingBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        gKeysSeenByBox.push_back(wParam);
    return CallWindowProcA(gBoxProc, window, message, wParam, lParam);
}

HHOOK gMenuHook;
bool gMenuMode;

// Called by the loop of a menu for each message it takes: the thread is in
// menu mode, which is then ended.
LRESULT CALLBACK NotingMenuLoop(int code, WPARAM wParam, LPARAM lParam)
{
    gMenuMode |= code == MSGF_MENU;
    EndMenu();
    return CallNextHookEx(gMenuHook, code, wParam, lParam);
}

// The loop step gives Enter, Escape and Alt to the program, never to the box;
// Alt alone (after the hot key took the Space) comes as WM_SYSKEYDOWN, and
// its release (SC_KEYMENU) never opens the system menu.
TEST_F(PopupTest, EnterEscapeAndAltNeverReachTheBox)
{
    gMenuHook = SetWindowsHookExA(WH_MSGFILTER, NotingMenuLoop, nullptr, GetCurrentThreadId());
    PostMessageA(gPopupState.popup, WM_SYSCOMMAND, SC_KEYMENU, 0);
    PostMessageA(gPopupState.popup, WM_NULL, 0, 0);  // for a menu loop to take
    Pump();
    UnhookWindowsHookEx(gMenuHook);
    EXPECT_FALSE(gMenuMode) << "the system menu opened";
    gBoxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        gPopupState.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotingBoxProc)));
    const std::pair<UINT, WPARAM> keys[] = {
        {WM_SYSKEYDOWN, VK_MENU}, {WM_KEYDOWN, VK_MENU}, {WM_KEYDOWN, VK_RETURN},
        {WM_KEYDOWN, VK_ESCAPE},  {WM_KEYDOWN, VK_LEFT},
    };
    for (const auto& [message, key] : keys)
        PostMessageA(gPopupState.edit, message, key, 0);
    Pump();
    EXPECT_EQ(gKeysSeenByBox, std::vector<WPARAM>{VK_LEFT});
}

// The popup starts touching the bottom-right corner, always on top. A record
// from Kerrow.ini gives the position, kept on the screen, and whether the
// popup shows; never a size or a minimized state.
TEST_F(PopupTest, APlacementIsKeptOnTheScreen)
{
    RECT start, frame;
    GetWindowRect(gPopupState.popup, &start);
    EXPECT_EQ(start.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(start.bottom, GetSystemMetrics(SM_CYSCREEN));
    const LONG exStyle = GetWindowLongA(gPopupState.popup, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST) << std::hex << exStyle;
    const LONG maxX = start.left, maxY = start.top;
    // Record size and show state, its left and top; shown, left and top.
    const std::tuple<UINT, UINT, LONG, LONG, bool, LONG, LONG> rows[] = {
        {44, SW_HIDE, 100, 120, false, 100, 120},
        {40, SW_SHOW, 5000, 5000, false, maxX, maxY},  // too short: not read
        {44, SW_SHOW, maxX + 1, maxY + 1, true, maxX, maxY},
        {44, SW_SHOW, -1, -1, true, 0, 0},
        {44, SW_SHOW, 30, 5000, true, 30, maxY},
        {44, SW_SHOWMINIMIZED, 200, 100, true, 200, 100},
    };
    for (const auto& [bytes, show, left, top, shown, x, y] : rows) {
        Discard();
        WINDOWPLACEMENT placement = {0, 0, show, {}, {}, {left, top, left + 400, top + 400}};
        WritePrivateProfileStructA("Window", "Placement", &placement, bytes, ".\\Kerrow.ini");
        Open();
        EXPECT_EQ(IsWindowVisible(gPopupState.popup) && !IsIconic(gPopupState.popup), shown)
            << left;
        const RECT expected = {x, y, x + start.right - maxX, y + start.bottom - maxY};
        GetWindowRect(gPopupState.popup, &frame);
        EXPECT_TRUE(EqualRect(&frame, &expected))
            << left << "," << top << ": at " << frame.left << "," << frame.top;
    }
}

// As the screen changes scale, or size (DPI 0: it shrinks to 800x600, a
// resolution change), the popup is laid out anew, with the input box's place
// and font scaled and the font before released: at a new scale where the
// system suggests, at the size it was told beforehand; at a new size where it
// stands; on the screen either way.
TEST_F(PopupTest, AsTheScreenChangesThePopupIsLaidOutAnewAndStaysOnIt)
{
    DEVMODEA smaller = {};
    smaller.dmSize = sizeof smaller;
    smaller.dmPelsWidth = 800;
    smaller.dmPelsHeight = 600;
    smaller.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    // DPI, where the system suggests (or where the popup stands); its client
    // area, the box's left and right edge and height, the font's height.
    const std::tuple<int, POINT, const char*> rows[] = {
        {144, {200, 100}, "108x24 24..108x24 21"}, {192, {5000, 5000}, "144x32 32..144x32 28"},
        {96, {200, 100}, "72x16 16..72x16 14"},    {0, {5000, 5000}, "72x16 16..72x16 14"},
        {96, {5000, 5000}, "72x16 16..72x16 14"},
    };
    for (const auto& [dpi, at, layout] : rows) {
        const POINT stands = dpi ? POINT{10, 10} : at;
        SetWindowPos(gPopupState.popup, nullptr, stands.x, stands.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        const HFONT before = gPopupState.font;
        RECT suggested = {at.x, at.y, at.x + 1, at.y + 1}, area, box, frame;
        SIZE told = {};
        if (dpi) {
            SendMessageA(gPopupState.popup, WM_GETDPISCALEDSIZE, dpi,
                         reinterpret_cast<LPARAM>(&told));
            SendMessageA(gPopupState.popup, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        } else {
            ASSERT_EQ(ChangeDisplaySettingsExA(nullptr, &smaller, nullptr, 0, nullptr), 0);
        }
        GetClientRect(gPopupState.popup, &area);
        GetWindowRect(gPopupState.edit, &box);
        MapWindowPoints(nullptr, gPopupState.popup, reinterpret_cast<POINT*>(&box), 2);
        GetWindowRect(gPopupState.popup, &frame);
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(gPopupState.edit, WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        std::ostringstream laidOut;
        laidOut << area.right << "x" << area.bottom << " " << box.left << ".." << box.right << "x"
                << box.bottom << " " << font.lfHeight;
        EXPECT_EQ(laidOut.str(), layout) << dpi;
        EXPECT_EQ(GetObjectType(before) == 0, dpi != 0) << dpi << ": the font before";
        const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
        EXPECT_TRUE(!dpi || (told.cx == width && told.cy == height))
            << dpi << ": told " << told.cx << "x" << told.cy << ", is " << width << "x" << height;
        EXPECT_TRUE(frame.left == std::min(at.x, GetSystemMetrics(SM_CXSCREEN) - width) &&
                    frame.top == std::min(at.y, GetSystemMetrics(SM_CYSCREEN) - height))
            << dpi << ": at " << frame.left << "," << frame.top << ", " << width << "x" << height;
    }
    ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);  // back to the desktop's size
}

// Run by tests/e2e/monitors.sh on two monitors, the left one (0,0)-(1024,768)
// primary, the right one (1024,0)-(1824,600); Wine gives both one DPI, so the
// test sends what Windows would on a drag between monitors of two scales.
// The popup takes the suggested place at its own size for the new DPI, kept
// wholly on the monitor nearest to it: left and top edge, or right and bottom
// edge where it is clamped there.
TEST_F(PopupTest, TwoMonitorsAScaleChangeTakesTheSuggestedPlace)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "not the two-monitor session";
    const std::tuple<int, POINT, bool, POINT> rows[] = {
        {144, {1500, 300}, false, {1500, 300}},
        {96, {1800, 590}, true, {1824, 600}},
        {144, {1000, 750}, true, {1024, 768}},
        {96, {-100, -100}, false, {0, 0}},
    };
    for (const auto& [dpi, at, corner, expected] : rows) {
        RECT suggested = {at.x, at.y, at.x + 1, at.y + 1}, frame;
        SendMessageA(gPopupState.popup, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(gPopupState.popup, &frame);
        const POINT is = corner ? POINT{frame.right, frame.bottom} : POINT{frame.left, frame.top};
        EXPECT_TRUE(is.x == expected.x && is.y == expected.y)
            << dpi << " DPI, suggested " << at.x << "," << at.y << ": " << frame.left << ","
            << frame.top << "-" << frame.right << "," << frame.bottom;
    }
}

// The watch is on this test program's folder; link.dat is read from the
// current folder, and by #reload at once.
TEST_F(PopupTest, AWriteInTheProgramFolderReloadsOnceAtTheNextShowOrHide)
{
    std::ofstream(folder + "link.dat") << "A\tone\n";
    ShowWindow(gPopupState.popup, SW_SHOWNOACTIVATE);
    EXPECT_EQ(gShortcutTable.count("A"), 0u) << "reloaded without a write";
    for (const int show : {SW_HIDE, SW_SHOWNOACTIVATE, SW_HIDE, SW_SHOWNOACTIVATE}) {
        std::ofstream(ExeFolder() + "watch.tmp") << "x";
        ASSERT_EQ(WaitForSingleObject(gPopupState.linkChangeWatch, 20000), WAIT_OBJECT_0);
        ShowWindow(gPopupState.popup, show);
        EXPECT_EQ(gShortcutTable.count("A"), 1u) << "not reloaded";
        gShortcutTable.clear();
        ShowWindow(gPopupState.popup, show == SW_HIDE ? SW_SHOWNOACTIVATE : SW_HIDE);
        ShowWindow(gPopupState.popup, show);
        EXPECT_EQ(gShortcutTable.count("A"), 0u) << "the watch was not re-armed";
    }
    RunKeyOf("#reload");
    EXPECT_EQ(gShortcutTable, (ShortcutTable{{"A", "one"}, {"R", "#reload"}})) << "not merged";
}

// Wine always reports the minimize animation off: the setting is a stand-in
// here, which reads it on, off or not at all; the windows and their
// minimizing are real.
std::string gAnimationCalls;
int gAnimationRead;  // 1: on, 0: off, -1: cannot be read

BOOL WINAPI AnimationStandIn(UINT action, UINT, PVOID record, UINT flags)
{
    auto& animation = *static_cast<ANIMATIONINFO*>(record);
    if (action == SPI_GETANIMATION)
        animation.iMinAnimate = gAnimationRead;
    gAnimationCalls += action == SPI_GETANIMATION
        ? "get;"
        : "set " + std::to_string(animation.iMinAnimate) + " " + std::to_string(flags) + ";";
    return action != SPI_GETANIMATION || gAnimationRead >= 0;
}

// Visible windows that are no tool window and have no owner are minimized
// (I), others stay hidden (-) or shown (V); the animation is switched off
// around it, without a broadcast, only when it was on.
TEST_F(PopupTest, CloseAllMinimizesOnlyVisibleUnownedWindowsAndRestoresTheAnimation)
{
    gAnimationSetting = AnimationStandIn;
    for (const int read : {1, 0, -1}) {
        const auto make = [](DWORD exStyle, DWORD style, HWND owner) {
            return CreateWindowExA(exStyle, "STATIC", "", WS_OVERLAPPEDWINDOW | style, 0, 0, 99, 99,
                                   owner, nullptr, nullptr, nullptr);
        };
        const HWND owner = make(0, WS_VISIBLE, nullptr);
        const HWND windows[] = {owner, make(0, 0, nullptr),
                                make(WS_EX_TOOLWINDOW, WS_VISIBLE, nullptr),
                                make(0, WS_VISIBLE, owner)};
        gAnimationCalls.clear();
        gAnimationRead = read;
        RunKeyOf("#closeall");
        std::string states;
        for (const HWND window : windows)
            states += IsIconic(window) ? 'I' : IsWindowVisible(window) ? 'V' : '-';
        EXPECT_EQ(states, "I-VV") << read;
        EXPECT_EQ(gAnimationCalls, read == 1 ? "get;set 0 0;set 1 0;" : "get;") << read;
        for (const HWND window : windows)
            DestroyWindow(window);
    }
    gAnimationSetting = SystemParametersInfoA;
}

// On a new thread, as WinMain's: a single-threaded apartment (the shell calls
// want one) that fails quietly on an empty disc drive (the thread's error
// mode, which launched programs do not inherit).
TEST(UiThread, IsAnApartmentThatShowsNoErrorBoxes)
{
    HRESULT second = S_OK;
    UINT mode = 0;
    std::thread([&] {
        const bool apartment = BeginUiThread();
        second = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        mode = GetThreadErrorMode();
        EndUiThread(apartment);
    }).join();
    EXPECT_EQ(second, RPC_E_CHANGED_MODE) << std::hex << second << ": no apartment";
    EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS) << mode;
}

TEST(Builtins, TheShutdownPrivilegeIsSwitchedAsAsked)
{
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    PRIVILEGE_SET wanted = {1, 0, {}};
    LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &wanted.Privilege[0].Luid);
    for (const bool enable : {true, false, true, false}) {
        BOOL enabled = !enable;
        EXPECT_TRUE(SetShutdownPrivilege(enable)) << enable;
        EXPECT_TRUE(PrivilegeCheck(token, &wanted, &enabled) && enabled == enable)
            << "asked " << enable << ", is " << enabled;
    }
    CloseHandle(token);
}

}  // namespace
