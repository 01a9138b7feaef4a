// What Enter, Alt and Escape do in the input box, and the commands Enter
// runs: the shell's default action, or one of the built-in commands.
#pragma once

#include <windows.h>

// True when the key was consumed; the input box then never sees it.
bool HandleEditKey(WPARAM virtualKey);

void RunCurrentCommand();

bool SetShutdownPrivilege(bool enable);
bool ShutdownSystem();
bool RebootSystem();
bool MinimizeAllWindows();
BOOL CALLBACK MinimizeIfEligible(HWND window, LPARAM extraValue);

// The two calls #closeall makes to read and switch the minimize animation.
// A test may stand in for them, since Wine never reports the animation on.
using AnimationSettingFunction = BOOL(WINAPI*)(UINT action, UINT size, PVOID record, UINT flags);
extern AnimationSettingFunction gAnimationSetting;
