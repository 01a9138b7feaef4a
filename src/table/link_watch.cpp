// The change watch on the program's directory fires for any write in it, not
// only to link.dat; it is only ever polled with a zero time-out, from the
// popup's show and hide handling, and re-armed after each reload. The
// launcher never blocks on it and never asks which file changed.
#include "table/link_watch.h"

#include <windows.h>

#include <cstring>

#include "popup_state.h"
#include "table/shortcut_table.h"

void StartLinkChangeWatch()
{
    char directory[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, directory, sizeof directory);
    if (length == 0 || length >= sizeof directory)
        return;
    if (char* backslash = std::strrchr(directory, '\\'))
        *backslash = '\0';
    gPopupState.linkChangeWatch =
        FindFirstChangeNotificationA(directory, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
}

void RefreshIfChanged()
{
    const HANDLE watch = gPopupState.linkChangeWatch;
    if (watch == INVALID_HANDLE_VALUE)
        return;
    if (WaitForSingleObject(watch, 0) != WAIT_OBJECT_0)
        return;
    LoadLinkFile();
    FindNextChangeNotification(watch);
}

void CloseLinkChangeWatch()
{
    if (gPopupState.linkChangeWatch == INVALID_HANDLE_VALUE)
        return;
    FindCloseChangeNotification(gPopupState.linkChangeWatch);
    gPopupState.linkChangeWatch = INVALID_HANDLE_VALUE;
}
