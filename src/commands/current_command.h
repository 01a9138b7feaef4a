// The command the text in the input box resolves to, and its icon.
#pragma once

#include <windows.h>

#include "commands/command_text.h"

struct CurrentCommand {
    char command[kCommandBufferSize] = "";  // empty: nothing resolved
    const char* arguments = nullptr;        // into command; null: no TAB
    HICON icon = nullptr;
    bool ownsIcon = false;  // the shell's icons are ours to destroy, system icons are shared
};

extern CurrentCommand gCurrentCommand;

// Empties the record and destroys the icon when it came from the shell.
void ClearCurrentCommand();
