// The popup InitInstance makes, driven by real messages: what the box text
// resolves to and the icon it shows, the placements a Kerrow.ini may hold,
// clamping, the change watch, and the built-ins a test process can run.
#include "support.h"

#include <shellapi.h>

#include <vector>

#include "commands/run_command.h"

namespace {

std::string IconKind()
{
    const HICON icon = gCurrentCommand.icon;
    if (!icon)
        return "none";
    if (icon == LoadIconA(nullptr, IDI_EXCLAMATION))
        return "warning";
    if (icon == LoadIconA(nullptr, IDI_APPLICATION))
        return "application";
    return gCurrentCommand.ownsIcon ? "shell" : "unowned";
}

bool IconAlive(HICON icon)
{
    ICONINFO info;
    const bool alive = GetIconInfo(icon, &info);
    if (alive) {
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return alive;
}

// Each row replaces the record of the one before: the shell's icon it held
// must be destroyed, a system icon never.
TEST_F(PopupTest, TheBoxTextResolvesToCommandArgumentsAndIcon)
{
    ShowWindow(gPopupState.popup, SW_SHOWNOACTIVATE);  // a hidden window keeps no update region
    const std::string notepad = "C:\\windows\\notepad.exe";
    const std::string missing = "C:\\no such folder\\app.exe";
    const std::string longest = "C:\\" + std::string(kCommandBufferSize - 4, 'a');
    gShortcutTable = {{"N", notepad + "\t-x  y"}, {"P", missing},    {"E", missing + "\t \t "},
                      {"B", "#reload"},           {"H", "#no\targ"}, {"K", longest},
                      {"L", longest + "a"}};
    const struct {
        const char* text;
        std::string command;
        const char* arguments;
        const char* icon;
    } rows[] = {
        {"N", notepad, "-x  y", "shell"},  {"P", missing, nullptr, "application"},
        {"E", missing, "", "application"}, {"B", "#reload", nullptr, "warning"},
        {"H", "#no", "arg", "warning"},    {"K", longest, nullptr, "application"},
        {"N", notepad, "-x  y", "shell"},  {"L", "", nullptr, "none"},
        {"N", notepad, "-x  y", "shell"},  {"NO", "", nullptr, "none"},
        {"N", notepad, "-x  y", "shell"},  {"", "", nullptr, "none"},
    };
    for (const auto& row : rows) {
        const HICON before = gCurrentCommand.icon;
        const bool owned = gCurrentCommand.ownsIcon;
        ValidateRect(gPopupState.popup, nullptr);
        SetText(row.text);
        EXPECT_EQ(gCurrentCommand.command, row.command) << row.text;
        EXPECT_STREQ(gCurrentCommand.arguments, row.arguments) << row.text;
        EXPECT_EQ(IconKind(), row.icon) << row.text;
        EXPECT_TRUE(GetUpdateRect(gPopupState.popup, nullptr, FALSE)) << row.text << ": no repaint";
        EXPECT_TRUE(!before || IconAlive(before) != owned) << row.text << ": icon before it";
    }
    WriteText(folder + "link.dat", "NEW\tx\n");
    SetText("B");
    RunCurrentCommand();
    EXPECT_EQ(gShortcutTable.count("NEW"), 1u) << "#reload did not read link.dat";
}

std::vector<WPARAM> gKeysSeenByBox;
WNDPROC gBoxProc;

LRESULT CALLBACK NotingBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        gKeysSeenByBox.push_back(wParam);
    return CallWindowProcA(gBoxProc, window, message, wParam, lParam);
}

// The loop step gives Enter, Escape and Alt to the program, never to the box;
// Alt alone (after the hot key took the Space) comes as WM_SYSKEYDOWN.
TEST_F(PopupTest, EnterEscapeAndAltNeverReachTheBox)
{
    gBoxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        gPopupState.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotingBoxProc)));
    const std::pair<UINT, WPARAM> keys[] = {{WM_SYSKEYDOWN, VK_MENU},
                                            {WM_KEYDOWN, VK_MENU},
                                            {WM_KEYDOWN, VK_RETURN},
                                            {WM_KEYDOWN, VK_ESCAPE},
                                            {WM_KEYDOWN, VK_LEFT}};
    for (const auto& [message, key] : keys)
        PostMessageA(gPopupState.edit, message, key, 0);
    Pump();
    EXPECT_EQ(gKeysSeenByBox, std::vector<WPARAM>{VK_LEFT});
}

POINT Position()
{
    RECT frame;
    GetWindowRect(gPopupState.popup, &frame);
    return {frame.left, frame.top};
}

// A record from Kerrow.ini gives the position, kept on the screen, and
// whether the popup shows; never a size or a minimized state.
TEST_F(PopupTest, APlacementIsKeptOnTheScreenAndMovesAreClamped)
{
    RECT frame;
    GetWindowRect(gPopupState.popup, &frame);
    const SIZE size = {frame.right - frame.left, frame.bottom - frame.top};
    const LONG maxX = GetSystemMetrics(SM_CXSCREEN) - size.cx;
    const LONG maxY = GetSystemMetrics(SM_CYSCREEN) - size.cy;
    EXPECT_TRUE(Position().x == maxX && Position().y == maxY) << "not at the bottom-right corner";
    const struct {
        UINT bytes, show;
        LONG left, top;
        bool shown;
        LONG x, y;
    } rows[] = {
        {44, SW_HIDE, 100, 120, false, 100, 120},
        {40, SW_SHOW, 100, 120, false, maxX, maxY},
        {44, SW_SHOW, 5000, 5000, true, maxX, maxY},
        {44, SW_SHOW, -3000, -20, true, 0, 0},
        {44, SW_SHOWMINIMIZED, 200, 100, true, 200, 100},
    };
    for (const auto& row : rows) {
        Discard();
        WINDOWPLACEMENT placement = {};
        placement.showCmd = row.show;
        placement.rcNormalPosition = {row.left, row.top, row.left + 400, row.top + 400};
        WritePrivateProfileStructA("Window", "Placement", &placement, row.bytes, ".\\Kerrow.ini");
        Open();
        GetWindowRect(gPopupState.popup, &frame);
        EXPECT_EQ(IsWindowVisible(gPopupState.popup) && !IsIconic(gPopupState.popup), row.shown)
            << row.left;
        EXPECT_TRUE(frame.left == row.x && frame.top == row.y)
            << row.left << ": at " << frame.left << "," << frame.top;
        EXPECT_TRUE(frame.right - frame.left == size.cx && frame.bottom - frame.top == size.cy)
            << row.left;
    }
    const LONG moves[][4] = {{-50, -40, 0, 0}, {5000, 4000, maxX, maxY}, {30, 5000, 30, maxY}};
    for (const auto& [x, y, expectedX, expectedY] : moves) {
        SetWindowPos(gPopupState.popup, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_TRUE(Position().x == expectedX && Position().y == expectedY)
            << "moved to " << x << "," << y;
    }
}

// The watch is on this test program's folder; link.dat is read from the
// current folder.
TEST_F(PopupTest, AWriteInTheProgramFolderReloadsOnceAtTheNextShowOrHide)
{
    WriteText(folder + "link.dat", "A\tone\n");
    ShowWindow(gPopupState.popup, SW_SHOWNOACTIVATE);
    EXPECT_EQ(gShortcutTable.count("A"), 0u) << "reloaded without a write";
    for (const int show : {SW_HIDE, SW_SHOWNOACTIVATE, SW_HIDE, SW_SHOWNOACTIVATE}) {
        WriteText(ExeFolder() + "\\watch.tmp", "x");
        ASSERT_EQ(WaitForSingleObject(gPopupState.LinkChangeWatch, 20000), WAIT_OBJECT_0);
        ShowWindow(gPopupState.popup, show);
        EXPECT_EQ(gShortcutTable.count("A"), 1u) << "not reloaded";
        gShortcutTable.clear();
        ShowWindow(gPopupState.popup, show == SW_HIDE ? SW_SHOWNOACTIVATE : SW_HIDE);
        ShowWindow(gPopupState.popup, show);
        EXPECT_EQ(gShortcutTable.count("A"), 0u) << "the watch was not re-armed";
    }
}

// Wine always reports the minimize animation off: the setting is a stand-in
// here, which reads "on" or fails to read; the windows and their minimizing
// are real.
std::string gAnimationCalls;
bool gAnimationReadable;

BOOL WINAPI AnimationStandIn(UINT action, UINT, PVOID record, UINT flags)
{
    auto& animation = *static_cast<ANIMATIONINFO*>(record);
    if (action == SPI_GETANIMATION) {
        animation.iMinAnimate = 1;
        gAnimationCalls += "get;";
        return gAnimationReadable;
    }
    gAnimationCalls +=
        "set " + std::to_string(animation.iMinAnimate) + " " + std::to_string(flags) + ";";
    return TRUE;
}

TEST_F(PopupTest, CloseAllMinimizesOnlyVisibleNormalWindowsAndRestoresTheAnimation)
{
    gShortcutTable = {{"C", "#closeall"}};
    gAnimationSetting = AnimationStandIn;
    for (const bool readable : {true, false}) {
        const auto make = [](DWORD exStyle, DWORD style) {
            return CreateWindowExA(exStyle, "STATIC", "", WS_OVERLAPPEDWINDOW | style, 0, 0, 99, 99,
                                   nullptr, nullptr, nullptr, nullptr);
        };
        const HWND windows[] = {make(0, WS_VISIBLE), make(0, 0),
                                make(WS_EX_TOOLWINDOW, WS_VISIBLE)};
        gAnimationCalls.clear();
        gAnimationReadable = readable;
        SetText("C");
        RunCurrentCommand();
        Pump();
        EXPECT_TRUE(IsIconic(windows[0]));
        EXPECT_FALSE(IsIconic(windows[1]) || IsWindowVisible(windows[1]) || IsIconic(windows[2]));
        EXPECT_EQ(gAnimationCalls, readable ? "get;set 0 2;set 1 2;" : "get;");
        for (const HWND window : windows)
            DestroyWindow(window);
    }
    gAnimationSetting = SystemParametersInfoA;
}

TEST_F(PopupTest, EmptyEmptiesTheRecycleBinWithoutAsking)
{
    WriteText(folder + "deleted.txt", "x");
    const std::string from = folder + "deleted.txt" + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
    SHQUERYRBINFO bin = {};
    bin.cbSize = sizeof bin;
    ASSERT_EQ(SHFileOperationA(&operation), 0);
    ASSERT_TRUE(SHQueryRecycleBinA(nullptr, &bin) == S_OK && bin.i64NumItems > 0)
        << "nothing to empty";
    gShortcutTable = {{"E", "#empty"}};
    SetText("E");
    RunCurrentCommand();
    EXPECT_TRUE(SHQueryRecycleBinA(nullptr, &bin) == S_OK && bin.i64NumItems == 0);
}

bool ShutdownPrivilegeEnabled()
{
    HANDLE token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    PRIVILEGE_SET wanted = {};
    wanted.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &wanted.Privilege[0].Luid);
    BOOL enabled = FALSE;
    PrivilegeCheck(token, &wanted, &enabled);
    CloseHandle(token);
    return enabled;
}

TEST(Builtins, TheShutdownPrivilegeIsSwitchedAsAsked)
{
    for (const bool enable : {true, false, true, false}) {
        EXPECT_TRUE(SetShutdownPrivilege(enable)) << enable;
        EXPECT_EQ(ShutdownPrivilegeEnabled(), enable) << enable;
    }
}

}  // namespace
