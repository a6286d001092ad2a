#include "NameCodePage.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace wz {
namespace {

// Windows-1251 from 0x80 to 0xBF. From 0xC0 to 0xFF the code page runs through the Russian
// alphabet in order, U+0410 to U+044F, and needs no table.
constexpr std::array<char16_t, 64> kUpperTable = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // 0xB8
};

constexpr std::uint8_t kAlphabetByte = 0xC0;
constexpr char16_t kAlphabetStart = 0x0410;
constexpr char16_t kAlphabetEnd = 0x044F;

bool IsHighSurrogate(char16_t ch) {
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(char16_t ch) {
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

char EncodeCharacter(char16_t ch) {
    if (ch < 0x80) {
        return static_cast<char>(ch);
    }
    if (ch >= kAlphabetStart && ch <= kAlphabetEnd) {
        return static_cast<char>(kAlphabetByte + (ch - kAlphabetStart));
    }
    const auto it = std::find(kUpperTable.begin(), kUpperTable.end(), ch);
    if (it == kUpperTable.end()) {
        return kUnmappableCharacter;
    }
    return static_cast<char>(0x80 + std::distance(kUpperTable.begin(), it));
}

} // namespace

char16_t DecodeCodePageByte(std::uint8_t byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= kAlphabetByte) {
        return static_cast<char16_t>(kAlphabetStart + (byte - kAlphabetByte));
    }
    return kUpperTable[byte - 0x80];
}

std::u16string DecodeCodePageText(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.push_back(DecodeCodePageByte(static_cast<std::uint8_t>(byte)));
    }
    return text;
}

std::string EncodeCodePageText(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (IsHighSurrogate(ch) || IsLowSurrogate(ch)) {
            // A character beyond the 16-bit range is one character, whatever its halves.
            if (IsHighSurrogate(ch) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                ++i;
            }
            bytes.push_back(kUnmappableCharacter);
            continue;
        }
        bytes.push_back(EncodeCharacter(ch));
    }
    return bytes;
}

} // namespace wz
