// The change watch on the program's directory fires for any write in it, not
// only to link.dat; it is only ever polled with a zero time-out, from the
// popup's show and hide handling, and re-armed after each reload. The
// launcher never blocks on it and never asks which file changed.
#include <windows.h>

#include "popup_state.h"
#include "table/link_watch.h"
#include "table/shortcut_table.h"

void RefreshIfChanged()
{
    const HANDLE watch = gPopupState.LinkChangeWatch;
    if (watch == INVALID_HANDLE_VALUE)
        return;
    if (WaitForSingleObject(watch, 0) != WAIT_OBJECT_0)
        return;
    LoadLinkFile();
    FindNextChangeNotification(watch);
}
