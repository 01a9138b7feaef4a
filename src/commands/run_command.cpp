// ShellExecuteA is given the command's own folder as working directory, cut
// after the last backslash so that "C:\" stays a root; a command without a
// backslash (a name the shell finds on the path, a URL) passes itself, which
// the shell tolerates. The popup is its owner window, so that the program
// started opens on the popup's monitor. Its result is not looked at: the
// launcher is silent.
//
// #shutdown and #reboot need SeShutdownPrivilege, which a process token holds
// but has disabled: it is switched on just around ExitWindowsEx. Both are
// forced (programs are not asked to save) and logged as planned; #shutdown
// turns the power off, which EWX_SHUTDOWN alone does not. A forced end sends
// Kerrow no end-of-session message: the popup's place is saved first, as
// hidden, so that the next session does not start with the popup shown.
//
// #closeall minimizes what a user sees as programs: visible windows that are
// no tool window, have no owner (a dialog goes with its owner), are not the
// shell's desktop and are not cloaked (on another virtual desktop, or parts
// of the shell that keep WS_VISIBLE). The minimize animation is switched off
// around it without broadcasting the change: one program that does not
// answer would hang such a broadcast.
#include "commands/run_command.h"

#include <dwmapi.h>
#include <shellapi.h>

#include "commands/current_command.h"
#include "optional_functions.h"
#include "popup_state.h"
#include "table/link_files.h"

// The text core spells it out without the Win32 headers.
static_assert(kCommandBufferSize == MAX_PATH);

AnimationSettingFunction gAnimationSetting = SystemParametersInfoA;

namespace {

constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;
constexpr DWORD kPlannedReason =
    SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

void EndSession(UINT flags)
{
    SendMessageA(gPopupState.popup, kSaveHiddenPlacementMessage, 0, 0);
    SetShutdownPrivilege(true);
    ExitWindowsEx(flags | EWX_FORCE, kPlannedReason);
    SetShutdownPrivilege(false);
}

bool SetMinimizeAnimation(ANIMATIONINFO& animation, int on)
{
    animation.iMinAnimate = on;
    return gAnimationSetting(SPI_SETANIMATION, sizeof animation, &animation, 0);
}

// Where DwmGetWindowAttribute is missing (no desktop window manager),
// nothing is cloaked.
bool IsCloaked(HWND window)
{
    const auto windowAttribute = gOptionalFunctions.dwmGetWindowAttribute;
    DWORD cloaked = 0;
    return windowAttribute &&
        SUCCEEDED(windowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
}

BOOL CALLBACK MinimizeIfEligible(HWND window, LPARAM)
{
    if (IsIconic(window) || GetWindow(window, GW_OWNER) || window == GetShellWindow())
        return TRUE;
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    if (!(style & WS_VISIBLE) || (exStyle & WS_EX_TOOLWINDOW) || IsCloaked(window))
        return TRUE;
    ShowWindowAsync(window, SW_SHOWMINNOACTIVE);
    return TRUE;
}

void MinimizeAllWindows()
{
    FindDwmFunctions();
    ANIMATIONINFO animation = {};
    animation.cbSize = sizeof animation;
    const bool read = gAnimationSetting(SPI_GETANIMATION, sizeof animation, &animation, 0);
    // Minimizing many windows one after the other is slow with the animation
    // on; it is switched off only for the enumeration, and back on only when
    // this command switched it off.
    const bool switchedOff = read && animation.iMinAnimate && SetMinimizeAnimation(animation, 0);
    EnumWindows(MinimizeIfEligible, 0);
    if (switchedOff)
        SetMinimizeAnimation(animation, 1);
}

void RunBuiltin(Builtin builtin)
{
    switch (builtin) {
    case Builtin::Exit:
        PostMessageA(gPopupState.popup, WM_CLOSE, 0, 0);
        break;
    case Builtin::Reload:
        LoadLinkFile();
        break;
    case Builtin::Shutdown:
        EndSession(EWX_SHUTDOWN | EWX_POWEROFF);
        break;
    case Builtin::Reboot:
        EndSession(EWX_REBOOT);
        break;
    case Builtin::EmptyRecycleBin:
        SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION);
        break;
    case Builtin::CloseAll:
        MinimizeAllWindows();
        break;
    case Builtin::None:
        break;
    }
}

}  // namespace

void RunCurrentCommand()
{
    const char* command = gCurrentCommand.command;
    if (command[0] == '\0')
        return;
    if (IsBuiltinCommand(command)) {
        RunBuiltin(MatchBuiltin(command));
        return;
    }
    char directory[kCommandBufferSize];
    WorkingDirectoryOf(command, directory);
    ShellExecuteA(gPopupState.popup, nullptr, command, gCurrentCommand.arguments, directory,
                  SW_SHOWNORMAL);
}

bool SetShutdownPrivilege(bool enable)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), kTokenAccess, &token))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    if (!LookupPrivilegeValueA("", SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        CloseHandle(token);
        return false;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    // AdjustTokenPrivileges succeeds even when it assigned nothing; only the
    // last error tells.
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    const bool adjusted = GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return adjusted;
}
