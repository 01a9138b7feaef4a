// kerrow-check on Windows: what only the system can answer. Whether a
// command's target is there (its variables expanded as Kerrow expands them),
// how the input box upper-cases a key, the ANSI code page link.dat is read
// in, which link.dat and Kerrow.ini Kerrow would read, the hot key Kerrow.ini
// sets and who holds it, and whether a stream is a console.
//
// The hot key is the one thing asked for by changing it: registering it for
// a moment takes it from a Kerrow that registers it in that moment, and that
// Kerrow would end at once. So a running Kerrow is found by its popup first,
// and the hot key is tried only when there is none; a Kerrow that is just
// starting, before its popup exists, can still lose that race.
#include <windows.h>

#include <io.h>

#include <cstring>
#include <string>

#include "commands/environment.h"
#include "link_check.h"
#include "table/link_files.h"
#include "table/shortcut_table.h"
#include "ui/popup.h"

namespace {

// kerrow-check's own hot key, on its own thread: Kerrow's uses the popup.
constexpr int kProbeHotKeyId = 1;

TargetState TargetStateOf(const char* path)
{
    // An empty disk drive fails the query quietly instead of asking for a disk.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    const bool found = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    const DWORD error = GetLastError();
    SetThreadErrorMode(previousMode, nullptr);
    if (found)
        return TargetState::Present;
    // Only an answer that it is not there counts. A server that does not
    // answer (ERROR_BAD_NETPATH, also while the network is away) or a folder
    // the user may not read says nothing about the target.
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NET_NAME:  // the server answered: it has no such share
    case ERROR_NOT_READY:
        return TargetState::Missing;
    default:
        return TargetState::Unchecked;
    }
}

// The box upper-cases each letter as it is typed, with the system's rules
// for the ANSI code page; CharUpperBuffA applies the same rules.
std::string TypedAs(std::string_view text)
{
    std::string typed(text);
    if (!typed.empty())
        CharUpperBuffA(&typed[0], static_cast<DWORD>(typed.size()));
    return typed;
}

// A chosen file's name for messages, in the ANSI code page: the whole path
// beside the program, the bare name in the current directory.
std::string NameOf(const wchar_t* path)
{
    char narrow[MAX_PATH * 2];
    if (WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof narrow, nullptr, nullptr) == 0)
        return "";
    return std::strncmp(narrow, ".\\", 2) == 0 ? narrow + 2 : narrow;
}

bool IsLowerCaseName(std::string_view text, std::string_view name)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower == name;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The line of the first HotKey= in the [Settings] section, for the finding;
// 0 when it cannot be told.
std::size_t HotKeyLine(const wchar_t* path)
{
    std::FILE* file = _wfopen(path, L"rb");
    if (!file)
        return 0;
    LinkLineReader reader(file);
    std::string_view line;
    bool inSettings = false;
    std::size_t found = 0;
    while (found == 0 && reader.Next(line)) {
        line = TrimBlanks(line);
        if (!line.empty() && line.front() == '[') {
            const std::size_t end = line.find(']');
            inSettings = end != std::string_view::npos &&
                IsLowerCaseName(TrimBlanks(line.substr(1, end - 1)), "settings");
        } else if (inSettings && line.find('=') != std::string_view::npos &&
                   IsLowerCaseName(TrimBlanks(line.substr(0, line.find('='))), "hotkey")) {
            found = reader.LineNumber();
        }
    }
    std::fclose(file);
    return found;
}

HANDLE ConsoleOf(std::FILE* stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode;
    return GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Deleted when closed ("D").
std::FILE* OpenScratchFile()
{
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || !GetTempFileNameW(folder, L"krc", 0, path))
        return nullptr;
    return _wfopen(path, L"w+bD");
}

}  // namespace

SystemAnswers WindowsAnswers()
{
    return {TargetStateOf, TypedAs, GetACP(), ExpandWithEnvironment};
}

std::FILE* OpenChosenLinkFile(std::string& name)
{
    name = NameOf(gLinkFiles.link);
    return _wfopen(gLinkFiles.link, L"rb");
}

bool CheckHotKeySetting(std::FILE* err, HotKey& hotKey, std::string& name)
{
    std::string text;
    switch (ReadHotKeySetting(hotKey, text)) {
    case HotKeySetting::Read:
        name = text;
        return false;
    case HotKeySetting::Absent:
        name = kDefaultHotKeyName;
        return false;
    case HotKeySetting::Unreadable:
        break;
    }
    name = kDefaultHotKeyName;
    std::fprintf(err,
                 "%s:%lu: HotKey=%s cannot be read, so Kerrow takes %s: write modifiers from Alt, "
                 "Ctrl, Shift and Win joined by +, then a letter, a digit, F1 to F24 or a key "
                 "name such as Space\n",
                 NameOf(gLinkFiles.settings).c_str(),
                 static_cast<unsigned long>(HotKeyLine(gLinkFiles.settings)), text.c_str(),
                 kDefaultHotKeyName);
    return true;
}

Outputs ConsoleAwareOutputs()
{
    const HANDLE outConsole = ConsoleOf(stdout), errConsole = ConsoleOf(stderr);
    Outputs outputs = {stdout, stderr, nullptr, outConsole ? outConsole : errConsole};
    if (outputs.console && (outputs.scratch = OpenScratchFile())) {
        if (outConsole)
            outputs.out = outputs.scratch;
        if (errConsole)
            outputs.err = outputs.scratch;
    }
    return outputs;
}

void ShowOnConsoles(const Outputs& outputs)
{
    if (!outputs.scratch)
        return;
    std::string bytes;
    std::rewind(outputs.scratch);
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, outputs.scratch)) > 0;)
        bytes.append(chunk, got);
    std::fclose(outputs.scratch);
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(length, L'\0');
    DWORD written;
    if (length > 0 && MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &text[0], length))
        WriteConsoleW(outputs.console, text.data(), static_cast<DWORD>(length), &written, nullptr);
}

HotKeyHolder FindHotKeyHolder(const HotKey& hotKey)
{
    if (FindWindowA(kPopupClassName, nullptr))
        return HotKeyHolder::Kerrow;
    if (RegisterHotKey(nullptr, kProbeHotKeyId, hotKey.modifiers, hotKey.virtualKey)) {
        UnregisterHotKey(nullptr, kProbeHotKeyId);
        return HotKeyHolder::Nobody;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotKeyHolder::OtherProgram
                                                             : HotKeyHolder::Unknown;
}
