// Every key-down meant for the input box is offered to HandleEditKey before it
// is translated, so that Enter, Escape and Alt never reach the box (an edit
// control would beep at Enter, and a translated Alt would open the system
// menu).
#include "ui/message_loop.h"

#include "commands/command_text.h"
#include "commands/run_command.h"
#include "popup_state.h"
#include "ui/popup.h"

// The text core spells these out without the Win32 headers.
static_assert(kKeyEnter == VK_RETURN && kKeyAlt == VK_MENU && kKeyEscape == VK_ESCAPE);

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
    switch (EditKeyActionFor(static_cast<unsigned>(virtualKey))) {
    case EditKeyAction::Run:
        RunCurrentCommand();
        EmptyInputBox();
        return true;
    case EditKeyAction::Swallow:
        return true;
    case EditKeyAction::Hide:
        ShowWindow(gPopupState.popup, SW_HIDE);
        return true;
    case EditKeyAction::PassOn:
        break;
    }
    return false;
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

void RunMessageLoop()
{
    MSG message;
    // GetMessageA's -1 (an invalid argument, which cannot happen here) keeps
    // the loop going like any other message.
    while (GetMessageA(&message, nullptr, 0, 0))
        ProcessMessage(message);
}
