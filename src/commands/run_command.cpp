// ShellExecuteA is given the command's own folder as working directory, cut
// after the last backslash so that "C:\" stays a root; a command without a
// backslash (a name the shell finds on the path, a URL) passes itself, which
// the shell tolerates. Its result is not looked at: the launcher is silent.
//
// #shutdown and #reboot need SeShutdownPrivilege, which a process token holds
// but has disabled: it is switched on just around ExitWindowsEx.
#include "commands/run_command.h"

#include <shellapi.h>

#include "commands/current_command.h"
#include "popup_state.h"
#include "table/shortcut_table.h"

// The text core spells it out without the Win32 headers.
static_assert(kCommandBufferSize == MAX_PATH);

AnimationSettingFunction gAnimationSetting = SystemParametersInfoA;

namespace {

constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;

void EndSession(UINT flags)
{
    SetShutdownPrivilege(true);
    ExitWindowsEx(flags, 0);
    SetShutdownPrivilege(false);
}

bool SetMinimizeAnimation(ANIMATIONINFO& animation, int on)
{
    animation.iMinAnimate = on;
    return gAnimationSetting(SPI_SETANIMATION, sizeof animation, &animation, SPIF_SENDCHANGE);
}

BOOL CALLBACK MinimizeIfEligible(HWND window, LPARAM)
{
    if (IsIconic(window))
        return TRUE;
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    if (!(style & WS_VISIBLE) || (exStyle & WS_EX_TOOLWINDOW))
        return TRUE;
    ShowWindowAsync(window, SW_SHOWMINNOACTIVE);
    return TRUE;
}

void MinimizeAllWindows()
{
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
        EndSession(EWX_SHUTDOWN | EWX_FORCE);
        break;
    case Builtin::Reboot:
        EndSession(EWX_REBOOT | EWX_FORCE);
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
    ShellExecuteA(nullptr, nullptr, command, gCurrentCommand.arguments, directory, SW_SHOWNORMAL);
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
