// The entry: sets the thread up, finds and reads link.dat, makes the popup,
// and runs the loop until the popup is closed; then lets go of the popup's
// font and of the thread's apartment.
#include <windows.h>

#include "optional_functions.h"
#include "popup_state.h"
#include "table/link_files.h"
#include "ui/message_loop.h"
#include "ui/popup.h"

namespace {

// Kerrow shows nothing when it cannot start, but whatever started it (the
// Startup folder, a script) can tell from the exit code.
constexpr int kExitNormal = 0;
constexpr int kExitStartFailed = 1;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    FindOptionalFunctions();
    RestrictDllSearch();
    const bool apartment = BeginUiThread();
    ChooseLinkFiles();
    LoadLinkFile();
    if (!InitInstance(instance))
        return kExitStartFailed;  // at once: the process ends with its windows
    RunMessageLoop();
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    EndUiThread(apartment);
    return kExitNormal;
}
