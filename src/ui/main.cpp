// The entry: reads link.dat, makes the font and the popup, and runs the loop
// until the popup is closed.
#include <windows.h>

#include <cstdlib>

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

// Only running out of memory can throw here, and the popup has no console
// to print to: end at once. Replacing the C++ library's verbose handler also
// keeps its name demangler out of the executable.
namespace __gnu_cxx {               // NOLINT(bugprone-reserved-identifier)
void __verbose_terminate_handler()  // NOLINT(bugprone-reserved-identifier)
{
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    LoadLinkFile();
    gPopupState.font = CreatePopupFont();
    if (!InitInstance(instance))
        return kExitStartFailed;
    RunMessageLoop();
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    return kExitNormal;
}
