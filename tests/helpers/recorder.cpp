// Stands in for the programs Kerrow starts, for the tests:
//   recorder [ARGS]       appends the folder it runs in, the show state it
//                         was given and its raw command line, as
//                         "FOLDER|SHOW|COMMAND LINE", to the file that
//                         KERROW_RECORDER_LOG names (SHOW -1: none given);
//                         and "|VALUE" when KERROW_FRESH is set
//   recorder --hold       holds Alt+Space, records as above once it does,
//                         and waits until it is ended
//   recorder --redisplay  has Wine read the monitors again, as after a
//                         monitor is taken away: every window gets
//                         WM_DISPLAYCHANGE
//   recorder --broadcast  tells every top-level window that the environment
//                         changed, as the System settings do
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "table/hot_key.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--redisplay") == 0)
        return ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
    if (argc == 2 && std::strcmp(argv[1], "--broadcast") == 0)
        return !SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                    reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 5000,
                                    nullptr);
    const bool hold = argc == 2 && std::strcmp(argv[1], "--hold") == 0;
    if (hold && !RegisterHotKey(nullptr, 0, kDefaultHotKey.modifiers, kDefaultHotKey.virtualKey))
        return 1;
    char log[MAX_PATH], folder[MAX_PATH], fresh[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    if (!GetEnvironmentVariableA("KERROW_RECORDER_LOG", log, sizeof log))
        return 1;
    std::FILE* file = std::fopen(log, "ab");
    if (!file)
        return 1;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;
    std::fprintf(file, "%s|%d|%s", folder, show, GetCommandLineA());
    if (GetEnvironmentVariableA("KERROW_FRESH", fresh, sizeof fresh))
        std::fprintf(file, "|%s", fresh);
    std::fputc('\n', file);
    std::fclose(file);
    for (MSG message; hold && GetMessageA(&message, nullptr, 0, 0) > 0;) { }
    return 0;
}
