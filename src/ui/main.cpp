// The entry and the one message loop. Every key-down meant for the input box
// is offered to HandleEditKey before it is translated, so that Enter, Escape
// and Alt never reach the box (an edit control would beep at Enter, and a
// translated Alt would open the system menu).
#include <windows.h>

#include <cstdlib>

#include "commands/run_command.h"
#include "dll_search.h"
#include "table/shortcut_table.h"
#include "ui/popup.h"
#include "ui/popup_state.h"

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

// Alt alone arrives as WM_SYSKEYDOWN, not WM_KEYDOWN. It is offered too:
// after Alt+Space the hot key has eaten the Space, so the box would see a lone
// Alt press and release, and its release would open the system menu, which
// then takes the keys typed next.
bool IsEditKeyDown(const MSG& message)
{
    return message.hwnd == gPopupState.edit &&
        (message.message == WM_KEYDOWN ||
         (message.message == WM_SYSKEYDOWN && message.wParam == VK_MENU));
}

void RunMessageLoop()
{
    MSG message;
    // GetMessageA's -1 (an invalid argument, which cannot happen here) keeps
    // the loop going like any other message.
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (IsEditKeyDown(message) && HandleEditKey(message.wParam))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
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
    RestrictDllSearch();
    LoadLinkFile();
    gPopupState.font = CreatePopupFont();
    if (!InitInstance(instance))
        return kExitStartFailed;
    RunMessageLoop();
    if (gPopupState.font)
        DeleteObject(gPopupState.font);
    return kExitNormal;
}
