// Looks at Kerrow's process from outside, for the robustness and footprint
// scripts; one verb per run, key=value lines on stdout.
//   counts                  private=KiB workingset=KiB handles=N gdi=N user=N of
//                           the process that owns the popup, as Windows reports them
//   lock FILE SECONDS       opens FILE with no sharing, prints locked=1 and
//                           holds it for at most SECONDS
//   start COMMAND LINE...   starts a program in the current directory and
//                           prints startup_us: from the start until its message
//                           loop first waits for input (WaitForInputIdle), when
//                           Alt+Space must be taken; 1 if it is not
//   close CLASS             posts WM_CLOSE to the window of CLASS and waits
//                           for its process to end
//   keep SECONDS            joins the desktop and stays for at most SECONDS,
//                           so that the desktop outlives the programs measured
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kPopupClass = "Kerrow_Window";
constexpr DWORD kStartDeadlineMs = 60000;
constexpr int kProbeHotKeyId = 1;

int Counts()
{
    HWND popup = FindWindowA(kPopupClass, nullptr);
    DWORD processId = 0;
    if (!popup || !GetWindowThreadProcessId(popup, &processId))
        return 1;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return 1;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof memory);
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    std::printf("private=%lu workingset=%lu handles=%lu gdi=%lu user=%lu\n",
                static_cast<unsigned long>(memory.PrivateUsage / 1024),
                static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long>(handles),
                static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)),
                static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)));
    CloseHandle(process);
    return 0;
}

int Lock(const char* path, DWORD seconds)
{
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("locked=0 error=%lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::printf("locked=1\n");
    std::fflush(stdout);
    Sleep(seconds * 1000);
    CloseHandle(file);
    return 0;
}

int Start(int argc, char** argv)
{
    std::string commandLine;
    for (int i = 2; i < argc; ++i)
        commandLine += std::string(i > 2 ? " " : "") + argv[i];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, started, idle;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 1;
    const DWORD waited = WaitForInputIdle(process.hProcess, kStartDeadlineMs);
    QueryPerformanceCounter(&idle);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != 0)
        return 1;
    // Checked once, now that the program is up: probing while it starts
    // could take the hot key from it.
    if (RegisterHotKey(nullptr, kProbeHotKeyId, MOD_ALT, VK_SPACE)) {
        UnregisterHotKey(nullptr, kProbeHotKeyId);
        std::printf("hotkey=free\n");
        return 1;
    }
    std::printf("startup_us=%lld\n",
                (idle.QuadPart - started.QuadPart) * 1000000 / frequency.QuadPart);
    return 0;
}

int Close(const char* windowClass)
{
    HWND window = FindWindowA(windowClass, nullptr);
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId))
        return 1;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageA(window, WM_CLOSE, 0, 0);
    const bool ended = process && WaitForSingleObject(process, kStartDeadlineMs) == WAIT_OBJECT_0;
    if (process)
        CloseHandle(process);
    return ended ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "counts") == 0)
        return Counts();
    if (argc == 4 && std::strcmp(argv[1], "lock") == 0)
        return Lock(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc >= 3 && std::strcmp(argv[1], "start") == 0)
        return Start(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "close") == 0)
        return Close(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "keep") == 0) {
        // A window, even hidden, is what brings the desktop up.
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        Sleep(std::strtoul(argv[2], nullptr, 10) * 1000);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: probe counts | lock FILE SECONDS | start COMMAND... | close CLASS | keep "
                 "SECONDS\n");
    return 2;
}
