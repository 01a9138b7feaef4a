// Every key-down meant for the input box is offered to HandleEditKey before it
// is translated, so that Enter, Escape and Alt never reach the box (an edit
// control would beep at Enter, and a translated Alt would open the system
// menu).
#include "ui/message_loop.h"

#include <objbase.h>

#include "commands/run_command.h"
#include "popup_state.h"
#include "ui/popup.h"

namespace {

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

// A fast typist presses Alt+Space and types the key before letting go of
// Alt: the letters then come as system characters, which the box would
// refuse with a beep (and the system take as menu mnemonics). A character
// typed into the box with Alt held goes in as if Alt were up; system keys
// that make no character (Alt+F4, Alt+Tab) keep their meaning.
bool IsSystemCharacterForBox(const MSG& message)
{
    return message.hwnd == gPopupState.edit && message.message == WM_SYSCHAR &&
        message.wParam >= ' ';
}

}  // namespace

bool HandleEditKey(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_RETURN:
        RunCurrentCommand();
        EmptyInputBox();
        return true;
    case VK_MENU:
        return true;
    case VK_ESCAPE:
        ShowWindow(gPopupState.popup, SW_HIDE);
        return true;
    default:
        return false;
    }
}

void ProcessMessage(const MSG& message)
{
    if (IsEditKeyDown(message) && HandleEditKey(message.wParam))
        return;
    if (IsSystemCharacterForBox(message)) {
        MSG character = message;
        character.message = WM_CHAR;
        DispatchMessageA(&character);
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool BeginUiThread()
{
    // Shell extensions and verb handlers are COM objects: the icon lookups
    // and launches want a single-threaded apartment, without OLE1's DDE.
    const bool apartment =
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    // A lookup on an empty card reader or disc drive fails instead of showing
    // the system's "no disk" box. The thread's mode: programs started from
    // here do not inherit it.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
    return apartment;
}

void EndUiThread(bool apartment)
{
    if (apartment)
        CoUninitialize();
}

void RunMessageLoop()
{
    MSG message;
    // GetMessageA's -1 (an invalid argument, which cannot happen here) keeps
    // the loop going like any other message.
    while (GetMessageA(&message, nullptr, 0, 0))
        ProcessMessage(message);
}
