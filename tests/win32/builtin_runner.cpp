// A helper for the end-session test script, run inside a Wine prefix of its
// own:
//   builtin_runner --sentinel READY   writes the file READY, then waits in a
//                                     message loop until something ends it
//   builtin_runner VALUE              runs VALUE as Enter would run it
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "commands/current_command.h"
#include "commands/run_command.h"

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--sentinel") == 0) {
        std::FILE* ready = std::fopen(argv[2], "wb");
        if (!ready)
            return 1;
        std::fclose(ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        return 0;
    }
    if (argc != 2)
        return 2;
    if (!SplitCommandValue(argv[1], gCurrentCommand.command, gCurrentCommand.arguments))
        return 3;
    RunCurrentCommand();
    return 0;
}
