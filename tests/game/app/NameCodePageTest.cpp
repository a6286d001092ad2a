#include "NameCodePage.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <string>

namespace wz {
namespace {

// The character glibc's own Windows-1251 table gives for a byte, or nothing for a byte it
// leaves unassigned.
std::optional<char16_t> ReferenceCharacter(std::uint8_t byte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    // iconv_open reports failure as (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr)
        return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || outLeft != 2)
        return std::nullopt;
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

// Every byte reads as glibc's Windows-1251 reads it, and writes back as the same byte.
TEST(NameCodePage, AgreesWithTheSystemTable) {
    ASSERT_TRUE(ReferenceCharacter('A').has_value()) << "glibc has no CP1251 converter";
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t ch = DecodeCodePageByte(static_cast<std::uint8_t>(byte));
        if (const auto reference = ReferenceCharacter(static_cast<std::uint8_t>(byte)))
            EXPECT_EQ(ch, *reference) << std::hex << byte;
        else
            EXPECT_EQ(byte, 0x98); // the one byte the code page leaves unassigned
        const std::string back = EncodeCodePageText(std::u16string(1, ch));
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(static_cast<std::uint8_t>(back[0]), byte);
    }
}

// Text to bytes: one byte per character, "?" for what the code page lacks, a character beyond
// 16 bits one "?" however it is split, and a broken half one "?" as well.
TEST(NameCodePage, EncodesOneBytePerCharacter) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", u"", ""},
        {"ASCII", u"PLAYER 1", "PLAYER 1"},
        {"Russian", u"\u0410\u044F\u0401\u0451", "\xC0\xFF\xA8\xB8"},
        {"Ukrainian and signs", u"\u0404\u0456\u2116\u20AC", "\xAA\xB3\xB9\x88"},
        {"Latin accents", u"\u00E9\u00FC", "??"},
        {"Chinese", u"\u4E2D", "?"},
        {"pair", u"a\U0001F600b", "a?b"},
        {"lone high half", u"a\xD83D", "a?"},
        {"lone low half", u"\xDE00z", "?z"},
        {"question mark itself", u"?", "?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeCodePageText(c.text), c.bytes) << c.name;
    }
    EXPECT_EQ(DecodeCodePageText("\xCF\xF0\xE8\xE2\xE5\xF2!"),
              u"\u041F\u0440\u0438\u0432\u0435\u0442!");
}

} // namespace
} // namespace wz
