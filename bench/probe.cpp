// Starts, closes and contends with Kerrow from inside Wine, for the
// robustness runs and the floor comparison; one verb per run, key=value
// lines on stdout.
//   lock FILE UNTIL         opens FILE with no sharing, prints locked=1 and
//                           holds it until the file UNTIL exists (at most
//                           a minute), then prints released=1
//   start COMMAND LINE...   starts a program in the current directory and
//                           prints startup_us: from the start until its message
//                           loop first waits for input (WaitForInputIdle), when
//                           Alt+Space must be taken; 1 if it is not
//   close CLASS             posts WM_CLOSE to the window of CLASS and waits
//                           for its process to end
//   keep SECONDS            joins the desktop and stays for at most SECONDS,
//                           so that the desktop outlives the programs measured
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kStartDeadlineMs = 60000;
constexpr int kProbeHotKeyId = 1;
constexpr DWORD kLockDeadlineMs = 60000;
constexpr DWORD kLockPollMs = 20;

int Lock(const char* path, const char* until)
{
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("locked=0 error=%lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::printf("locked=1\n");
    std::fflush(stdout);
    // The script says when to let go; the deadline only keeps a script that
    // died from leaving the file locked.
    const DWORD started = GetTickCount();
    while (GetFileAttributesA(until) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - started < kLockDeadlineMs)
        Sleep(kLockPollMs);
    CloseHandle(file);
    std::printf("released=1\n");
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
    if (argc == 4 && std::strcmp(argv[1], "lock") == 0)
        return Lock(argv[2], argv[3]);
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
                 "usage: probe lock FILE UNTIL | start COMMAND... | close CLASS | keep SECONDS\n");
    return 2;
}
