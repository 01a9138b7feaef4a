// kerrow-check [FILE]: shows what the launcher makes of a link file.
#include <cstdio>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "optional_functions.h"
#include "table/link_files.h"
#endif

#include "link_check.h"

namespace {

constexpr const char* kDefaultFile = "link.dat";

constexpr const char* kUsage =
    "usage: kerrow-check [FILE]\n"
    "Reads FILE the way the launcher does. By default the launcher's own: link.dat in the\n"
    "current directory, or where there is none the one beside kerrow-check.\n"
    "Prints the table it gives on stdout, one line per entry: the key, a TAB, the command.\n"
    "Prints what will not work as meant on stderr, as FILE:LINE: message.\n"
    "On Windows it also reads HotKey= in Kerrow.ini beside that link.dat, and says whether\n"
    "another program holds the hot key (Alt+Space by default).\n"
    "Exit status: 0 nothing found, 1 findings, 2 FILE cannot be read or wrong arguments.\n";

int WrongArguments(const char* problem, const char* argument = "")
{
    std::fprintf(stderr, "kerrow-check: %s%s\n%s", problem, argument, kUsage);
    return kCheckUnreadable;
}

#ifdef _WIN32
// Kerrow ends at once, without a word, when it cannot hold its hot key. True
// for a finding.
bool SayHotKeyHolder(std::FILE* err, const HotKey& hotKey, const std::string& name)
{
    switch (FindHotKeyHolder(hotKey)) {
    case HotKeyHolder::Kerrow:
        std::fprintf(err,
                     "kerrow-check: note: Kerrow is running and holds its hot key; a second "
                     "copy would end at once\n");
        return false;
    case HotKeyHolder::OtherProgram:
        std::fprintf(err,
                     "kerrow-check: another program holds %s, so Kerrow would end at once when "
                     "started\n",
                     name.c_str());
        return true;
    case HotKeyHolder::Nobody:
    case HotKeyHolder::Unknown:
        return false;
    }
    return false;
}

// Checks the link file Kerrow would read, or FILE, and the hot key.
int CheckForWindows(const char* path)
{
    ChooseLinkFiles();
    const Outputs outputs = ConsoleAwareOutputs();
    std::string name = path ? path : "";
    std::FILE* file = path ? std::fopen(path, "rb") : OpenChosenLinkFile(name);
    if (!path && file)
        std::fprintf(outputs.err, "kerrow-check: note: checked %s%s\n", name.c_str(),
                     name == kDefaultFile ? " in the current directory" : "");
    int result =
        CheckOpenedLinkFile(file, name.c_str(), outputs.out, outputs.err, WindowsAnswers());
    HotKey hotKey;
    std::string hotKeyName;
    const bool unreadable = CheckHotKeySetting(outputs.err, hotKey, hotKeyName);
    // Said even when there is no link file: it is why Kerrow would not start.
    const bool taken = SayHotKeyHolder(outputs.err, hotKey, hotKeyName);
    if ((unreadable || taken) && result == kCheckClean)
        result = kCheckFindings;
    ShowOnConsoles(outputs);
    return result;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    FindOptionalFunctions();
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
    return CheckForWindows(path);
#else
    return CheckLinkFile(path ? path : kDefaultFile, stdout, stderr);
#endif
}
