// Stands in for the programs Kerrow starts, for the tests:
//   recorder [ARGS]       appends the folder it runs in, the show state it
//                         was given and its raw command line, as
//                         "FOLDER|SHOW|COMMAND LINE", to the file that
//                         KERROW_RECORDER_LOG names (SHOW -1: none given)
//   recorder --hold       holds Kerrow's hot key, records as above once it
//                         does, and waits until it is ended
//   recorder --redisplay  has Wine read the monitors again, as after a
//                         monitor is taken away: every window gets
//                         WM_DISPLAYCHANGE
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ui/popup.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--redisplay") == 0)
        return ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
    const bool hold = argc == 2 && std::strcmp(argv[1], "--hold") == 0;
    if (hold && !RegisterHotKey(nullptr, 0, kHotKeyModifiers, kHotKeyVirtualKey))
        return 1;
    char log[MAX_PATH], folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    if (!GetEnvironmentVariableA("KERROW_RECORDER_LOG", log, sizeof log))
        return 1;
    std::FILE* file = std::fopen(log, "ab");
    if (!file)
        return 1;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;
    std::fprintf(file, "%s|%d|%s\n", folder, show, GetCommandLineA());
    std::fclose(file);
    for (MSG message; hold && GetMessageA(&message, nullptr, 0, 0) > 0;) { }
    return 0;
}
