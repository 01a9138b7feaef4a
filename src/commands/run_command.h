// The commands Enter runs: the shell's default action, or one of the
// built-in commands.
#pragma once

#include <windows.h>

// Runs gCurrentCommand; does nothing when nothing is resolved.
void RunCurrentCommand();

// Switches SeShutdownPrivilege in the process's token; true when it was set
// as asked.
bool SetShutdownPrivilege(bool enable);

// The two calls #closeall makes to read and switch the minimize animation.
// A test may stand in for them, since Wine never reports the animation on.
using AnimationSettingFunction = BOOL(WINAPI*)(UINT action, UINT size, PVOID record, UINT flags);
extern AnimationSettingFunction gAnimationSetting;
