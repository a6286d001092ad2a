#pragma once

// The 8-bit code page of the game's own texts: the names in the high-score table (and so in the
// settings file) and the one-character names of keys without a written name.
//
// The code page is Windows-1251 (Cyrillic). The settings file holds names as bytes with no mark
// of their code page; the game was played on Russian Windows, where the system code page is
// 1251, so files written there keep showing their names as typed. Its lower half is ASCII, so
// Latin names are unaffected. A character that Windows-1251 cannot hold is stored as "?", one
// byte per character, as Windows' own conversion does; the byte 0x98, which the code page leaves
// unassigned, reads as U+0098 so that every byte reads as something and writes back unchanged.

#include <cstdint>
#include <string>
#include <string_view>

namespace wz {

inline constexpr char kUnmappableCharacter = '?';

// The character of one byte.
char16_t DecodeCodePageByte(std::uint8_t byte);

// The bytes as text; every byte gives one character.
std::u16string DecodeCodePageText(std::string_view bytes);

// The text as bytes, one byte per character: a character outside the code page, a surrogate
// pair among them, becomes "?".
std::string EncodeCodePageText(std::u16string_view text);

} // namespace wz
