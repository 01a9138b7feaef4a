// Turns the text of the input box into the current command and its icon.
#pragma once

// Reads the input box and resolves its text, on EN_CHANGE from the box only.
void ResolveKey(int controlId, int notificationCode);
