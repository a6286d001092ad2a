#include "KeyMapping.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

struct KeyCase {
    int qtKey;
    bool keypad;
    std::uint32_t scanCode;
    int expected;
};

void ExpectCodes(const char* group, std::initializer_list<KeyCase> cases) {
    for (const KeyCase& c : cases) {
        EXPECT_EQ(wz::VirtualKeyFor(wz::KeyPress{c.qtKey, c.keypad, c.scanCode}), c.expected)
            << group << ": Qt key 0x" << std::hex << c.qtKey << (c.keypad ? " (keypad)" : "");
    }
}

// Letters and digits keep the codes of their capitals and digits; function keys run from 0x70.
TEST(KeyMapping, LettersDigitsAndFunctionKeys) {
    for (int k = Qt::Key_A; k <= Qt::Key_Z; ++k) {
        EXPECT_EQ(wz::VirtualKeyFor(wz::KeyPress{k, false, 0}), k);
    }
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(wz::VirtualKeyFor(wz::KeyPress{Qt::Key_0 + d, false, 0}), 0x30 + d);
    }
    for (int f = 0; f < 24; ++f) {
        EXPECT_EQ(wz::VirtualKeyFor(wz::KeyPress{Qt::Key_F1 + f, false, 0}), 0x70 + f);
    }
    ExpectCodes("shifted digit row", {{Qt::Key_Exclam, false, 0, 0x31},
                                      {Qt::Key_At, false, 0, 0x32},
                                      {Qt::Key_ParenLeft, false, 0, 0x39},
                                      {Qt::Key_ParenRight, false, 0, 0x30}});
}

TEST(KeyMapping, ControlNavigationAndModifierKeys) {
    ExpectCodes("control", {{Qt::Key_Backspace, false, 0, 0x08},
                            {Qt::Key_Tab, false, 0, 0x09},
                            {Qt::Key_Backtab, false, 0, 0x09},
                            {Qt::Key_Return, false, 0, 0x0D},
                            {Qt::Key_Escape, false, 0, 0x1B},
                            {Qt::Key_Space, false, 0, 0x20},
                            {Qt::Key_Pause, false, 0, 0x13},
                            {Qt::Key_Print, false, 0, 0x2C}});
    ExpectCodes("modifiers", {{Qt::Key_Shift, false, 0, 0x10},
                              {Qt::Key_Control, false, 0, 0x11},
                              {Qt::Key_Alt, false, 0, 0x12},
                              {Qt::Key_AltGr, false, 0, 0x12},
                              {Qt::Key_CapsLock, false, 0, 0x14},
                              {Qt::Key_Meta, false, 0, 0x5B},
                              {Qt::Key_Super_R, false, 0, 0x5C},
                              {Qt::Key_Menu, false, 0, 0x5D},
                              {Qt::Key_NumLock, false, 0, 0x90},
                              {Qt::Key_ScrollLock, false, 0, 0x91}});
    ExpectCodes("navigation", {{Qt::Key_PageUp, false, 0, 0x21},
                               {Qt::Key_PageDown, false, 0, 0x22},
                               {Qt::Key_End, false, 0, 0x23},
                               {Qt::Key_Home, false, 0, 0x24},
                               {Qt::Key_Left, false, 0, 0x25},
                               {Qt::Key_Up, false, 0, 0x26},
                               {Qt::Key_Right, false, 0, 0x27},
                               {Qt::Key_Down, false, 0, 0x28},
                               {Qt::Key_Insert, false, 0, 0x2D},
                               {Qt::Key_Delete, false, 0, 0x2E}});
}

// With Num Lock on the keypad has codes of its own; with it off it sends navigation keys, which
// keep their usual codes. Keypad Enter is Enter.
TEST(KeyMapping, NumericKeypad) {
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(wz::VirtualKeyFor(wz::KeyPress{Qt::Key_0 + d, true, 0}), 0x60 + d);
    }
    ExpectCodes("keypad", {{Qt::Key_Asterisk, true, 0, 0x6A},
                           {Qt::Key_Plus, true, 0, 0x6B},
                           {Qt::Key_Minus, true, 0, 0x6D},
                           {Qt::Key_Period, true, 0, 0x6E},
                           {Qt::Key_Slash, true, 0, 0x6F},
                           {Qt::Key_Enter, true, 0, 0x0D},
                           {Qt::Key_Home, true, 0, 0x24},
                           {Qt::Key_Up, true, 0, 0x26},
                           {Qt::Key_Clear, true, 0, 0x0C},
                           {Qt::Key_Insert, true, 0, 0x2D}});
}

// Punctuation takes the code of the key that carries it, plain or shifted.
TEST(KeyMapping, PunctuationKeys) {
    ExpectCodes("punctuation",
                {{Qt::Key_Semicolon, false, 0, 0xBA},    {Qt::Key_Colon, false, 0, 0xBA},
                 {Qt::Key_Equal, false, 0, 0xBB},        {Qt::Key_Plus, false, 0, 0xBB},
                 {Qt::Key_Comma, false, 0, 0xBC},        {Qt::Key_Less, false, 0, 0xBC},
                 {Qt::Key_Minus, false, 0, 0xBD},        {Qt::Key_Underscore, false, 0, 0xBD},
                 {Qt::Key_Period, false, 0, 0xBE},       {Qt::Key_Greater, false, 0, 0xBE},
                 {Qt::Key_Slash, false, 0, 0xBF},        {Qt::Key_Question, false, 0, 0xBF},
                 {Qt::Key_QuoteLeft, false, 0, 0xC0},    {Qt::Key_AsciiTilde, false, 0, 0xC0},
                 {Qt::Key_BracketLeft, false, 0, 0xDB},  {Qt::Key_BraceLeft, false, 0, 0xDB},
                 {Qt::Key_Backslash, false, 0, 0xDC},    {Qt::Key_Bar, false, 0, 0xDC},
                 {Qt::Key_BracketRight, false, 0, 0xDD}, {Qt::Key_BraceRight, false, 0, 0xDD},
                 {Qt::Key_Apostrophe, false, 0, 0xDE},   {Qt::Key_QuoteDbl, false, 0, 0xDE}});
    // The extra key of 102-key keyboards (X11 key code 94) has its own code.
    ExpectCodes("102nd key", {{Qt::Key_Less, false, 94, 0xE2},
                              {Qt::Key_Greater, false, 94, 0xE2},
                              {Qt::Key_Backslash, false, 94, 0xE2},
                              {Qt::Key_Less, false, 59, 0xBC}});
}

TEST(KeyMapping, KeysWithoutACode) {
    ExpectCodes("none", {{0, false, 0, 0},
                         {Qt::Key_unknown, false, 0, 0},
                         {Qt::Key_Adiaeresis, false, 0, 0},
                         {Qt::Key_Yacute, false, 0, 0}});
}

// The event overload reads the keypad modifier and the native key code from the event.
TEST(KeyMapping, ReadsTheKeyEvent) {
    const QKeyEvent keypadSeven(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier);
    EXPECT_EQ(wz::VirtualKeyFor(keypadSeven), 0x67);
    const QKeyEvent shiftedSeven(QEvent::KeyPress, Qt::Key_Ampersand, Qt::ShiftModifier);
    EXPECT_EQ(wz::VirtualKeyFor(shiftedSeven), 0x37);
    const QKeyEvent key102(QEvent::KeyPress, Qt::Key_Less, Qt::NoModifier, 94, 0x3c, 0);
    EXPECT_EQ(wz::VirtualKeyFor(key102), 0xE2);
    const QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), true);
    EXPECT_EQ(wz::VirtualKeyFor(repeat), 0x25);
}

} // namespace
