// The program's one message loop, and the step it takes for each message.
#pragma once

#include <windows.h>

// What Enter, Alt and Escape do in the input box: Enter runs the current
// command and empties the box, Escape hides the popup, Alt does nothing.
// True when the key was consumed; the input box then never sees it.
bool HandleEditKey(WPARAM virtualKey);

// Offers a key-down meant for the input box to HandleEditKey, and translates
// and dispatches every message that it does not consume.
void ProcessMessage(const MSG& message);

// Makes the calling thread what the popup's thread must be before any
// window or shell call: a single-threaded COM apartment that fails quietly on
// an empty drive. True when the apartment was entered: EndUiThread must
// leave it then, and only then.
bool BeginUiThread();
void EndUiThread(bool apartment);

// Takes messages until WM_QUIT.
void RunMessageLoop();
