// kerrow-check [FILE]: shows what the launcher makes of a link file.
#include <cstdio>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "dll_search.h"
#endif

#include "link_check.h"

namespace {

constexpr const char* kDefaultFile = "link.dat";

constexpr const char* kUsage =
    "usage: kerrow-check [FILE]\n"
    "Reads FILE (link.dat in the current directory by default) the way the launcher does.\n"
    "Prints the table it gives on stdout, one line per entry: the key, a TAB, the command.\n"
    "Prints what will not work as meant on stderr, as FILE:LINE: message.\n"
    "On Windows it also says whether another program holds Alt+Space.\n"
    "Exit status: 0 nothing found, 1 findings, 2 FILE cannot be read or wrong arguments.\n";

int WrongArguments(const char* problem, const char* argument = "")
{
    std::fprintf(stderr, "kerrow-check: %s%s\n%s", problem, argument, kUsage);
    return kCheckUnreadable;
}

#ifdef _WIN32
// Kerrow ends at once, without a word, when it cannot hold Alt+Space. True
// for a finding.
bool SayHotKeyHolder()
{
    switch (FindHotKeyHolder()) {
    case HotKeyHolder::Kerrow:
        std::fputs("kerrow-check: note: Kerrow is running and holds Alt+Space; a second copy "
                   "would end at once\n",
                   stderr);
        return false;
    case HotKeyHolder::OtherProgram:
        std::fputs("kerrow-check: another program holds Alt+Space, so Kerrow would end at once "
                   "when started\n",
                   stderr);
        return true;
    case HotKeyHolder::Nobody:
    case HotKeyHolder::Unknown:
        return false;
    }
    return false;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    RestrictDllSearch();
    // The table goes out byte for byte: no CR added before each line feed.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const char* path = nullptr;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            std::fputs(kUsage, stdout);
            return kCheckClean;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
            return WrongArguments("unknown option ", argv[i]);
        if (path)
            return WrongArguments("only one FILE may be given");
        path = argv[i];
    }
#ifdef _WIN32
    const int result = CheckLinkFile(path ? path : kDefaultFile, stdout, stderr, WindowsAnswers());
    // Said even when there is no link file: it is why Kerrow would not start.
    const bool hotKeyTaken = SayHotKeyHolder();
    return hotKeyTaken && result == kCheckClean ? kCheckFindings : result;
#else
    return CheckLinkFile(path ? path : kDefaultFile, stdout, stderr);
#endif
}
