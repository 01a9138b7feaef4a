// Turns the text typed into the input box into the current command and its
// icon.
#pragma once

#include <string_view>

// Rebuilds gCurrentCommand from the text: cleared, then filled when the text
// is a key of the table.
void ResolveKey(std::string_view text);
