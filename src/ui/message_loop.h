// The program's one message loop, and the step it takes for each message.
#pragma once

#include <windows.h>

// Offers a key-down meant for the input box to HandleEditKey, and translates
// and dispatches every message that it does not consume.
void ProcessMessage(const MSG& message);

// Takes messages until WM_QUIT.
void RunMessageLoop();
