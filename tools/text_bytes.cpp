#include "text_bytes.h"

#include <algorithm>

namespace {

constexpr std::string_view kByteOrderMarks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};

// The well-formed UTF-8 sequences by their first byte: how long they are and
// the range of their second byte, which rules out overlong forms, UTF-16
// surrogates and code points past U+10FFFF. Every later byte is 80 to BF.
struct Utf8Lead {
    std::size_t length;
    unsigned char first, last;
    unsigned char secondLow, secondHigh;
};
constexpr unsigned char kFirstHighByte = 0x80;
constexpr unsigned char kUtf8TrailLow = kFirstHighByte;
constexpr unsigned char kUtf8TrailHigh = 0xBF;
constexpr Utf8Lead kUtf8Leads[] = {
    {2, 0xC2, 0xDF, 0x80, 0xBF}, {3, 0xE0, 0xE0, 0xA0, 0xBF}, {3, 0xE1, 0xEC, 0x80, 0xBF},
    {3, 0xED, 0xED, 0x80, 0x9F}, {3, 0xEE, 0xEF, 0x80, 0xBF}, {4, 0xF0, 0xF0, 0x90, 0xBF},
    {4, 0xF1, 0xF3, 0x80, 0xBF}, {4, 0xF4, 0xF4, 0x80, 0x8F},
};

constexpr unsigned char kFirstPrintable = 0x20;

}  // namespace

bool IsHighByte(char c)
{
    return static_cast<unsigned char>(c) >= kFirstHighByte;
}

bool HoldsHighBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), IsHighByte);
}

bool IsControlByte(char c)
{
    return static_cast<unsigned char>(c) < kFirstPrintable;
}

std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (const Utf8Lead& lead : kUtf8Leads) {
        if (byte(0) < lead.first || byte(0) > lead.last)
            continue;
        if (text.size() < lead.length || byte(1) < lead.secondLow || byte(1) > lead.secondHigh)
            return 0;
        for (std::size_t i = 2; i < lead.length; ++i) {
            if (byte(i) < kUtf8TrailLow || byte(i) > kUtf8TrailHigh)
                return 0;
        }
        return lead.length;
    }
    return 0;
}

bool FormsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        if (!IsHighByte(text[i])) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string_view ByteOrderMarkAtStart(std::string_view text)
{
    for (std::string_view mark : kByteOrderMarks) {
        if (text.substr(0, mark.size()) == mark)
            return mark;
    }
    return {};
}

std::string HexBytes(std::string_view bytes)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty())
            hex += ' ';
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}
