// What kerrow-check asks of raw bytes: whether they are UTF-8, start with a
// byte-order mark, fall outside ASCII or below a space, and how to show them.
// Pure text: no Win32 here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True for a byte from 0x80 up.
bool IsHighByte(char c);
bool HoldsHighBytes(std::string_view text);

// True for a byte below a space.
bool IsControlByte(char c);

// Length of the well-formed UTF-8 sequence text starts with; 0 for none
// (also for an overlong form, a UTF-16 surrogate or a code point past
// U+10FFFF).
std::size_t Utf8SequenceLength(std::string_view text);

// True when every byte above 127 in text is part of a well-formed UTF-8
// sequence (also when there is none).
bool FormsUtf8(std::string_view text);

// The UTF-8 or UTF-16 byte-order mark text starts with; empty for none.
std::string_view ByteOrderMarkAtStart(std::string_view text);

// "EF BB BF"
std::string HexBytes(std::string_view bytes);
