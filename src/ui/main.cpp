// The entry: reads link.dat, makes the font and the popup, and runs the loop
// until the popup is closed.
#include <windows.h>

#include <objbase.h>

#include "dll_search.h"
#include "popup_state.h"
#include "table/shortcut_table.h"
#include "ui/message_loop.h"
#include "ui/popup.h"

namespace {

constexpr int kFontHeight = 14;
constexpr const char* kFontFace = "Times New Roman";

// Kerrow shows nothing when it cannot start, but whatever started it (the
// Startup folder, a script) can tell from the exit code.
constexpr int kExitNormal = 0;
constexpr int kExitStartFailed = 1;

HFONT CreatePopupFont()
{
    LOGFONTA logFont = {};
    logFont.lfHeight = kFontHeight;
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, kFontFace, LF_FACESIZE);
    return CreateFontIndirectA(&logFont);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    LoadLinkFile();
    gPopupState.font = CreatePopupFont();
    if (!InitInstance(instance))
        return kExitStartFailed;
    RunMessageLoop();
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    CoUninitialize();  // InitInstance made the thread an apartment
    return kExitNormal;
}
