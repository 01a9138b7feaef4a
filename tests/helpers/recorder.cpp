// Stands in for a launched program: appends the folder it runs in and its raw
// command line, a line each, to the file that KERROW_RECORDER_LOG names.
#include <windows.h>

#include <cstdio>

int main()
{
    char log[MAX_PATH];
    char folder[MAX_PATH];
    if (!GetEnvironmentVariableA("KERROW_RECORDER_LOG", log, sizeof log) ||
        !GetCurrentDirectoryA(sizeof folder, folder))
        return 1;
    std::FILE* file = std::fopen(log, "ab");
    if (!file)
        return 1;
    std::fprintf(file, "%s\n%s\n", folder, GetCommandLineA());
    return std::fclose(file);
}
