// The change watch on the program's directory fires for any write in it and
// for any file made, renamed or deleted there, not only for link.dat: editors
// that save by writing elsewhere and renaming over link.dat change a name,
// not a last write. The directory is taken with the wide functions, since an
// "A" path turns a folder name outside the ANSI code page into question
// marks and the watch would never start. It is only ever polled with a zero
// time-out, from the popup's show and hide handling: the launcher never
// blocks on it and never asks which file changed. It is re-armed before
// link.dat is read, so that a save during the read fires it again: Windows
// records a change that comes while the watch is still signalled, but Wine
// drops it.
#include "table/link_watch.h"

#include <windows.h>

#include <cwchar>

#include "popup_state.h"
#include "table/link_files.h"

void StartLinkChangeWatch()
{
    wchar_t directory[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    if (wchar_t* backslash = std::wcsrchr(directory, L'\\'))
        *backslash = L'\0';
    gPopupState.linkChangeWatch = FindFirstChangeNotificationW(
        directory, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME);
}

void RefreshIfChanged()
{
    const HANDLE watch = gPopupState.linkChangeWatch;
    if (watch == INVALID_HANDLE_VALUE)
        return;
    if (WaitForSingleObject(watch, 0) != WAIT_OBJECT_0)
        return;
    FindNextChangeNotification(watch);
    LoadLinkFile();
}

void CloseLinkChangeWatch()
{
    if (gPopupState.linkChangeWatch == INVALID_HANDLE_VALUE)
        return;
    FindCloseChangeNotification(gPopupState.linkChangeWatch);
    gPopupState.linkChangeWatch = INVALID_HANDLE_VALUE;
}
