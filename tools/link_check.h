// What kerrow-check does: reads a link file with the launcher's own reader
// and table, prints the table it gives and says what in the file will not
// work as its author probably meant.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "commands/command_text.h"
#include "table/hot_key.h"

constexpr int kCheckClean = 0;       // read, nothing to say
constexpr int kCheckFindings = 1;    // read, with findings
constexpr int kCheckUnreadable = 2;  // cannot be opened or read

// What a look for a target found.
enum class TargetState {
    Present,
    Missing,    // the system answered that it is not there
    Unchecked,  // no answer either way: a server that did not answer, a folder not readable
};

// What only the system kerrow-check runs on can tell. The native build knows
// none of it: targets are not looked for, the key findings say "may", and
// the code page is not named.
struct SystemAnswers {
    TargetState (*targetState)(const char* path) = nullptr;
    // The text the input box holds once text is typed into it: the box turns
    // letters into upper case by the system's own rules.
    std::string (*typedAs)(std::string_view text) = nullptr;
    // The ANSI code page the launcher reads link.dat in; 0 for not known.
    unsigned ansiCodePage = 0;
    // The launcher's expansion of %VARIABLES%; null: commands are taken as
    // written.
    EnvironmentExpander expand = nullptr;
};

#ifdef _WIN32
// The answers of the Windows this runs on (system_win32.cpp).
SystemAnswers WindowsAnswers();

enum class HotKeyHolder { Nobody, Kerrow, OtherProgram, Unknown };

// Who holds the hot key. A running Kerrow is found by its popup, without
// touching the hot key; only when there is none is the hot key registered
// for a moment and released at once.
HotKeyHolder FindHotKeyHolder(const HotKey& hotKey);

// The link file Kerrow would read when started in the current directory, as
// ChooseLinkFiles chose it, opened (null when it cannot be), and its name for messages: "link.dat",
// or the whole path when it is the one beside the program.
std::FILE* OpenChosenLinkFile(std::string& name);

// The hot key Kerrow would take, as Kerrow.ini beside that link file sets it,
// and its name. A value Kerrow cannot read is a finding on err, as
// "Kerrow.ini:LINE: message"; true then.
bool CheckHotKeySetting(std::FILE* err, HotKey& hotKey, std::string& name);

// Where standard output or standard error is a console, which shows bytes in
// the OEM code page, the text meant for it is kept in a scratch file (one for
// both, so that their order stays) and ShowOnConsoles writes it there at the
// end as wide text, converted from the ANSI code page. Redirected streams are
// written as they are.
struct Outputs {
    std::FILE* out;
    std::FILE* err;
    std::FILE* scratch;  // null: nothing goes to a console through it
    void* console;       // the console's handle
};
Outputs ConsoleAwareOutputs();
void ShowOnConsoles(const Outputs& outputs);
#endif

// Reads the open file (binary mode; name is only used in messages). Says
// the findings on err as it reads, one per line as "name:LINE: message",
// LINE counting physical lines from 1; then prints the table on out, one
// entry per line in table order as the key, a TAB, the command text and a
// line feed, raw bytes. The file must be seekable: it is read once for what
// only the whole file tells (its NULs, whether it looks like UTF-8), and
// after a Ctrl-Z read again to tell how much the launcher leaves unread.
// What the system answers makes the findings exact where it can.
int CheckLinkStream(std::FILE* file, const char* name, std::FILE* out, std::FILE* err,
                    const SystemAnswers& system = {});

// Opens path and checks it as above; when it cannot be opened, says so on
// err in one line and returns kCheckUnreadable.
int CheckLinkFile(const char* path, std::FILE* out, std::FILE* err,
                  const SystemAnswers& system = {});

// The same for a file already opened as name (null: it could not be), which
// it closes.
int CheckOpenedLinkFile(std::FILE* file, const char* name, std::FILE* out, std::FILE* err,
                        const SystemAnswers& system = {});
