// Enter, Alt and Escape in the input box, launches through the shell checked
// with the recorder, and the built-in commands that can run inside a test
// process (#shutdown and #reboot have a script and a Wine prefix of their own).
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "commands/run_command.h"
#include "ui/message_loop.h"

namespace {

// Takes the queued messages as the program's loop does.
void PumpLikeTheProgram()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ProcessMessage(message);
}

// The recorder is built beside this program. The test's own current
// directory is a scratch one, so the recorder's shows what the shell was given.
TEST(Launch, EnterHandsCommandArgumentsAndFolderToTheShell)
{
    TestPopup popup;
    ScratchDirectory scratch;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string folder(self, std::strrchr(self, '\\'));  // without the backslash
    const std::string recorder = folder + "\\recorder.exe";
    const std::string log = scratch.File("recorder.log");
    SetEnvironmentVariableA("KERROW_RECORDER_LOG", log.c_str());
    const struct {
        std::string value;
        std::string args;
    } cases[] = {
        {recorder + "\tone  \"two three\" four", "one  \"two three\" four"},
        {recorder + "\t \t ", ""},  // empty arguments
        {recorder, ""},             // no arguments
    };
    for (const auto& c : cases) {
        DeleteFileA(log.c_str());
        gShortcutTable = {{"R", c.value}};
        popup.SetText("R");
        ASSERT_TRUE(HandleEditKey(VK_RETURN)) << c.value;
        EXPECT_EQ(popup.Text(), "") << c.value;
        std::string record;
        const auto recorded = [&] {
            record = ReadFileText(log);
            return record.find("end\n") != std::string::npos;
        };
        EXPECT_TRUE(WaitUntil(recorded)) << c.value << ": nothing recorded";
        // The shell quotes the program's path and adds the parameters, if any,
        // after one space. The folder, given with its trailing backslash, reads
        // back without it.
        const std::string line = "\"" + recorder + "\"" + (c.args.empty() ? "" : " " + c.args);
        EXPECT_EQ(record, "cwd=" + folder + "\nline=" + line + "\nargs=" + c.args + "\nend\n")
            << c.value;
    }
    SetEnvironmentVariableA("KERROW_RECORDER_LOG", nullptr);
}

// "#reload" makes a run visible at once: it adds NEW to the table.
TEST(EditKeys, EnterRunsOnlyWhatIsResolvedAndEmptiesTheBox)
{
    TestPopup popup;
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.Write("link.dat", "NEW\tx\n"));
    for (const auto& [text, runs] : {std::pair{"", false}, {"RX", false}, {"R", true}}) {
        gShortcutTable = {{"R", "#reload"}};
        popup.SetText(text);
        EXPECT_TRUE(HandleEditKey(VK_RETURN)) << "text \"" << text << "\"";
        EXPECT_EQ(gShortcutTable.count("NEW"), runs ? 1u : 0u) << "text \"" << text << "\"";
        EXPECT_EQ(popup.Text(), "") << "text \"" << text << "\"";
        // A second Enter right after finds the box and the record empty.
        gShortcutTable.erase("NEW");
        EXPECT_TRUE(HandleEditKey(VK_RETURN)) << "second Enter after \"" << text << "\"";
        EXPECT_EQ(gShortcutTable.count("NEW"), 0u) << "second Enter after \"" << text << "\"";
    }
}

// The box's own window procedure notes every key-down that reaches it.
WNDPROC gEditProc;
std::vector<WPARAM> gKeysSeenByBox;

LRESULT CALLBACK NotingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        gKeysSeenByBox.push_back(wParam);
    return CallWindowProcA(gEditProc, window, message, wParam, lParam);
}

TEST(EditKeys, AltNeverReachesTheBoxEscapeHidesAndEmptiesIt)
{
    TestPopup popup;
    popup.Show();
    gEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(popup.Box(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotingEditProc)));
    gKeysSeenByBox.clear();
    gShortcutTable = {{"K", "#nothing"}};
    popup.SetText("K");

    // Posted in order: once VK_LEFT has arrived, both Alt presses have been
    // handled. Alt alone comes as WM_SYSKEYDOWN.
    PostMessageA(popup.Box(), WM_SYSKEYDOWN, VK_MENU, KF_ALTDOWN << 16);
    PostMessageA(popup.Box(), WM_KEYDOWN, VK_MENU, 0);
    PostMessageA(popup.Box(), WM_KEYDOWN, VK_LEFT, 0);
    ASSERT_TRUE(WaitUntil([] { return !gKeysSeenByBox.empty(); }, PumpLikeTheProgram));
    EXPECT_EQ(gKeysSeenByBox, std::vector<WPARAM>{VK_LEFT});
    EXPECT_STREQ(gCurrentCommand.command, "#nothing");

    PostMessageA(popup.Box(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup.Window()); }, PumpLikeTheProgram))
        << "Escape did not hide the popup";
    EXPECT_EQ(popup.Text(), "");
    EXPECT_STREQ(gCurrentCommand.command, "");
    EXPECT_EQ(gKeysSeenByBox, std::vector<WPARAM>{VK_LEFT});
}

// Wine accepts SPI_SETANIMATION but always reports the minimize animation
// off, so the path that switches it off and on again is driven through a
// stand-in for the two SystemParametersInfoA calls of #closeall. The window
// enumeration and the minimizing stay real.
struct {
    BOOL readResult;
    int minAnimate;
    std::string calls;
} gAnimation;

BOOL WINAPI AnimationStandIn(UINT action, UINT, PVOID record, UINT flags)
{
    ANIMATIONINFO& info = *static_cast<ANIMATIONINFO*>(record);
    if (action == SPI_GETANIMATION) {
        info.iMinAnimate = gAnimation.minAnimate;
        gAnimation.calls += "get " + std::to_string(flags) + ";";
        return gAnimation.readResult;
    }
    gAnimation.minAnimate = info.iMinAnimate;
    gAnimation.calls +=
        "set " + std::to_string(info.iMinAnimate) + " " + std::to_string(flags) + ";";
    return TRUE;
}

// Minimize requests on this thread's windows, as the CBT hook sees them
// before the window is touched: a request for a window that is already
// minimized leaves no other trace.
std::vector<std::pair<HWND, int>> gMinimizeRequests;

LRESULT CALLBACK NotingCbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_MINMAX)
        gMinimizeRequests.emplace_back(reinterpret_cast<HWND>(wParam), LOWORD(lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(CloseAll, MinimizesVisibleWindowsOnlyAndKeepsTheAnimationSetting)
{
    TestPopup popup;
    popup.Show();
    gShortcutTable = {{"C", "#closeall"}};
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "KerrowTest_Window";
    RegisterClassA(&windowClass);
    const auto make = [](DWORD exStyle, DWORD style) {
        return CreateWindowExA(exStyle, "KerrowTest_Window", "", WS_OVERLAPPEDWINDOW | style, 10,
                               10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    };
    const struct {
        const char* name;
        AnimationSettingFunction setting;
        BOOL readResult;
        int minAnimate;
        const char* calls;  // as the stand-in saw them
    } cases[] = {
        {"real setting", SystemParametersInfoA, TRUE, 0, ""},
        {"animation on", AnimationStandIn, TRUE, 1, "get 0;set 0 2;set 1 2;"},
        {"animation off", AnimationStandIn, TRUE, 0, "get 0;"},
        {"read fails", AnimationStandIn, FALSE, 1, "get 0;"},
    };
    for (const auto& c : cases) {
        const HWND visible = make(0, WS_VISIBLE);
        const HWND hidden = make(0, 0);
        const HWND tool = make(WS_EX_TOOLWINDOW, WS_VISIBLE);
        const HWND minimized = make(0, WS_VISIBLE | WS_MINIMIZE);
        ASSERT_TRUE(IsIconic(minimized));
        ANIMATIONINFO before = {sizeof before, 0};
        SystemParametersInfoA(SPI_GETANIMATION, sizeof before, &before, 0);
        gAnimation = {c.readResult, c.minAnimate, ""};
        gAnimationSetting = c.setting;
        gMinimizeRequests.clear();
        const HHOOK hook = SetWindowsHookExA(WH_CBT, NotingCbtHook, nullptr, GetCurrentThreadId());

        popup.SetText("C");
        RunCurrentCommand();
        // The pump that finds the window minimized has emptied the queue, and
        // with it every request #closeall made.
        EXPECT_TRUE(WaitUntil([&] { return IsIconic(visible); })) << c.name;
        UnhookWindowsHookEx(hook);
        gAnimationSetting = SystemParametersInfoA;

        const std::vector<std::pair<HWND, int>> expected = {{visible, SW_SHOWMINNOACTIVE}};
        EXPECT_EQ(gMinimizeRequests, expected)
            << c.name << ": hidden " << hidden << ", tool " << tool << ", minimized " << minimized
            << ", popup " << popup.Window();
        EXPECT_FALSE(IsWindowVisible(hidden)) << c.name;
        EXPECT_EQ(gAnimation.calls, c.calls) << c.name;
        EXPECT_EQ(gAnimation.minAnimate, c.minAnimate) << c.name;
        ANIMATIONINFO after = {sizeof after, 0};
        SystemParametersInfoA(SPI_GETANIMATION, sizeof after, &after, 0);
        EXPECT_EQ(after.iMinAnimate, before.iMinAnimate) << c.name;
        for (const HWND window : {visible, hidden, tool, minimized})
            DestroyWindow(window);
    }
}

bool ShutdownPrivilegeEnabled()
{
    HANDLE token;
    LUID shutdown;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown))
        return false;
    alignas(TOKEN_PRIVILEGES) char buffer[4096];
    DWORD length = 0;
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer, sizeof buffer, &length)) {
        const auto& privileges = *reinterpret_cast<TOKEN_PRIVILEGES*>(buffer);
        for (DWORD i = 0; i < privileges.PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = privileges.Privileges[i];
            if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart)
                enabled = entry.Attributes & SE_PRIVILEGE_ENABLED;
        }
    }
    CloseHandle(token);
    return enabled;
}

TEST(Builtins, ShutdownPrivilegeIsSwitchedAsAsked)
{
    for (const bool enable : {true, false, true, false}) {
        EXPECT_TRUE(SetShutdownPrivilege(enable)) << "enable " << enable;
        EXPECT_EQ(ShutdownPrivilegeEnabled(), enable)
            << "after SetShutdownPrivilege(" << enable << ")";
    }
}

TEST(Builtins, ReloadMergesTheEditedFile)
{
    TestPopup popup;
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.Write("link.dat", "K\t#reload\nA\told a\nB\told b\n"));
    LoadLinkFile();
    DeleteFileA(scratch.File("link.dat").c_str());
    ASSERT_TRUE(scratch.Write("link.dat", "K\t#reload\nB\tnew b\n"));
    popup.SetText("K");
    RunCurrentCommand();
    for (const auto& [key, command] : {std::pair{"A", "old a"}, {"B", "new b"}}) {
        popup.SetText(key);
        EXPECT_STREQ(gCurrentCommand.command, command) << "key " << key;
    }
}

TEST(Builtins, NamesMatchWholeIgnoringCase)
{
    TestPopup popup;
    for (const auto& [value, closes] :
         {std::pair{"#EXIT", true}, {"#Exit\tnow", true}, {"#exit ", false}}) {
        gShortcutTable = {{"X", value}};
        popup.SetText("X");
        RunCurrentCommand();
        MSG message;
        EXPECT_EQ(PeekMessageA(&message, popup.Window(), WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0,
                  closes)
            << "value \"" << value << "\"";
    }
}

}  // namespace
