#include "commands/current_command.h"

CurrentCommand gCurrentCommand;

void ClearCurrentCommand()
{
    if (gCurrentCommand.ownsIcon)
        DestroyIcon(gCurrentCommand.icon);
    gCurrentCommand.icon = nullptr;
    gCurrentCommand.ownsIcon = false;
    gCurrentCommand.command[0] = '\0';
    gCurrentCommand.arguments = nullptr;
}
