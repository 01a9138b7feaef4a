// kerrow-check on Windows: what only the system can answer. Whether a
// command's target is there, how the input box upper-cases a key, the ANSI
// code page link.dat is read in, and who holds Alt+Space.
//
// The hot key is the one thing asked for by changing it: registering it for
// a moment takes it from a Kerrow that registers it in that moment, and that
// Kerrow would end at once. So a running Kerrow is found by its popup first,
// and the hot key is tried only when there is none; a Kerrow that is just
// starting, before its popup exists, can still lose that race.
#include <windows.h>

#include "link_check.h"
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

}  // namespace

SystemAnswers WindowsAnswers()
{
    return {TargetStateOf, TypedAs, GetACP()};
}

HotKeyHolder FindHotKeyHolder()
{
    if (FindWindowA(kPopupClassName, nullptr))
        return HotKeyHolder::Kerrow;
    if (RegisterHotKey(nullptr, kProbeHotKeyId, kHotKeyModifiers, kHotKeyVirtualKey)) {
        UnregisterHotKey(nullptr, kProbeHotKeyId);
        return HotKeyHolder::Nobody;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotKeyHolder::OtherProgram
                                                             : HotKeyHolder::Unknown;
}
