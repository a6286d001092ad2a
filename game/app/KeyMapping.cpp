#include "KeyMapping.h"

#include <QKeyEvent>

#include <algorithm>
#include <iterator>

namespace wz {
namespace {

// Keys whose code does not depend on the keypad. Letters, digits and function keys are
// computed in VirtualKeyFor; everything else is listed here.
struct KeyCode {
    int qtKey;
    int virtualKey;
};

constexpr KeyCode kKeyTable[] = {
    // Editing and control keys.
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_AltGr, 0x12},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    // Navigation keys.
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Select, 0x29},
    {Qt::Key_Printer, 0x2A},
    {Qt::Key_Execute, 0x2B},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_SysReq, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F},
    // The shifted digit row of a US keyboard gives the digit's code.
    {Qt::Key_ParenRight, 0x30},
    {Qt::Key_Exclam, 0x31},
    {Qt::Key_At, 0x32},
    {Qt::Key_NumberSign, 0x33},
    {Qt::Key_Dollar, 0x34},
    {Qt::Key_Percent, 0x35},
    {Qt::Key_AsciiCircum, 0x36},
    {Qt::Key_Ampersand, 0x37},
    {Qt::Key_Asterisk, 0x38},
    {Qt::Key_ParenLeft, 0x39},
    // Windows and menu keys.
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Super_L, 0x5B},
    {Qt::Key_Super_R, 0x5C},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_Sleep, 0x5F},
    // Lock keys.
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    // Browser and media keys.
    {Qt::Key_Back, 0xA6},
    {Qt::Key_Forward, 0xA7},
    {Qt::Key_Refresh, 0xA8},
    {Qt::Key_Stop, 0xA9},
    {Qt::Key_Search, 0xAA},
    {Qt::Key_Favorites, 0xAB},
    {Qt::Key_HomePage, 0xAC},
    {Qt::Key_VolumeMute, 0xAD},
    {Qt::Key_VolumeDown, 0xAE},
    {Qt::Key_VolumeUp, 0xAF},
    {Qt::Key_MediaNext, 0xB0},
    {Qt::Key_MediaPrevious, 0xB1},
    {Qt::Key_MediaStop, 0xB2},
    {Qt::Key_MediaTogglePlayPause, 0xB3},
    // Punctuation, by the key that carries it on a US keyboard, plain and shifted.
    {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
};

// Keys of the numeric keypad with Num Lock on; with it off the keypad sends navigation keys,
// which keep their ordinary codes, as on Windows.
constexpr KeyCode kKeypadTable[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Comma, 0x6C}, {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Slash, 0x6F}, {Qt::Key_Enter, 0x0D},
};

// X11 key code of the extra key between the left Shift and Z on 102-key keyboards.
constexpr std::uint32_t kX11Key102 = 94;

template <std::size_t N> int Lookup(const KeyCode (&table)[N], int qtKey) {
    const auto it = std::find_if(std::begin(table), std::end(table),
                                 [qtKey](const KeyCode& entry) { return entry.qtKey == qtKey; });
    return it == std::end(table) ? 0 : it->virtualKey;
}

} // namespace

int VirtualKeyFor(const KeyPress& press) {
    const int key = press.qtKey;
    if (press.nativeScanCode == kX11Key102 && (key == Qt::Key_Less || key == Qt::Key_Greater ||
                                               key == Qt::Key_Bar || key == Qt::Key_Backslash)) {
        return 0xE2;
    }
    if (press.keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) {
            return 0x60 + (key - Qt::Key_0);
        }
        if (const int code = Lookup(kKeypadTable, key)) {
            return code;
        }
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return key; // Qt's codes for letters and digits are their ASCII capitals, as Windows'
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return 0x70 + (key - Qt::Key_F1);
    }
    return Lookup(kKeyTable, key);
}

int VirtualKeyFor(const QKeyEvent& event) {
    return VirtualKeyFor(KeyPress{event.key(), event.modifiers().testFlag(Qt::KeypadModifier),
                                  event.nativeScanCode()});
}

} // namespace wz
