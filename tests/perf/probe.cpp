// Looks at Kerrow's process from outside, for the robustness and footprint
// scripts; one verb per run, key=value lines on stdout.
//   counts                  private=KiB workingset=KiB handles=N gdi=N user=N of
//                           the process that owns the popup, as Windows reports them
//   lock FILE SECONDS       opens FILE with no sharing, prints locked=1 and
//                           holds it for at most SECONDS
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kPopupClass = "Kerrow_Window";

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

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "counts") == 0)
        return Counts();
    if (argc == 4 && std::strcmp(argv[1], "lock") == 0)
        return Lock(argv[2], std::strtoul(argv[3], nullptr, 10));
    std::fprintf(stderr, "usage: probe counts | lock FILE SECONDS\n");
    return 2;
}
