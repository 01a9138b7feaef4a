// For the end-session test, in a Wine prefix of its own:
//   builtin_runner VALUE        runs VALUE as Enter runs a resolved command
//   builtin_runner --wait FILE  writes FILE, then waits until something ends it
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "commands/current_command.h"
#include "commands/run_command.h"

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--wait") == 0) {
        std::fclose(std::fopen(argv[2], "wb"));
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) { }
        return 0;
    }
    if (argc != 2 ||
        !SplitCommandValue(argv[1], gCurrentCommand.command, gCurrentCommand.arguments))
        return 2;
    RunCurrentCommand();
    return 0;
}
