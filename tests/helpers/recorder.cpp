// A stand-in for a launched program: appends to a log how it was started
// (its working directory, its raw command line and the arguments after its
// own name), so tests can check what the shell handed it byte for byte.
// The log is the file named by KERROW_RECORDER_LOG, else recorder.log beside
// the executable. One block per start:
//   cwd=<directory>\n  line=<raw command line>\n  args=<text after the program name>\n  end\n
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The command line past the program's own name and the blanks after it.
const char* ArgumentsOf(const char* line)
{
    if (*line == '"') {
        const char* close = std::strchr(line + 1, '"');
        line = close ? close + 1 : line + std::strlen(line);
    } else {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

}  // namespace

int main()
{
    char logPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("KERROW_RECORDER_LOG", logPath, sizeof logPath);
    if (length == 0 || length >= sizeof logPath) {
        length = GetModuleFileNameA(nullptr, logPath, sizeof logPath);
        char* slash = std::strrchr(logPath, '\\');
        if (length == 0 || !slash || slash + sizeof "\\recorder.log" > logPath + sizeof logPath)
            return 1;
        std::strcpy(slash + 1, "recorder.log");
    }
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    const char* line = GetCommandLineA();

    std::FILE* log = std::fopen(logPath, "ab");
    if (!log)
        return 1;
    std::fprintf(log, "cwd=%s\nline=%s\nargs=%s\nend\n", directory, line, ArgumentsOf(line));
    std::fclose(log);
    return 0;
}
