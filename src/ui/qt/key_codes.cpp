#include "ui/qt/key_codes.h"

#include <Qt>
#include <utility>

namespace zentory {

namespace {

// evdev keycode (X keycode) -> virtual-key code on a Japanese 106/109 keyboard. The keys are
// named by their position; the punctuation keys carry their Japanese legends.
constexpr std::pair<std::uint32_t, int> kX11Keys[] = {
    {9, 0x1B},                                                       // Esc
    {10, 0x31},  {11, 0x32},  {12, 0x33},  {13, 0x34},  {14, 0x35},  // 1..5
    {15, 0x36},  {16, 0x37},  {17, 0x38},  {18, 0x39},  {19, 0x30},  // 6..9, 0
    {20, 0xBD},                                                      // - =
    {21, 0xDE},                                                      // ^ ~
    {22, 0x08},                                                      // BackSpace
    {23, 0x09},                                                      // Tab
    {24, 'Q'},   {25, 'W'},   {26, 'E'},   {27, 'R'},   {28, 'T'},  {29, 'Y'},
    {30, 'U'},   {31, 'I'},   {32, 'O'},   {33, 'P'},   {34, 0xC0},  // @ `
    {35, 0xDB},                                                      // [ {
    {36, 0x0D},                                                      // Return
    {37, 0x11},                                                      // Control_L
    {38, 'A'},   {39, 'S'},   {40, 'D'},   {41, 'F'},   {42, 'G'},  {43, 'H'},
    {44, 'J'},   {45, 'K'},   {46, 'L'},   {47, 0xBB},  // ; +
    {48, 0xBA},                                         // : *
    {49, 0xF3},                                         // 半角/全角
    {50, 0x10},                                         // Shift_L
    {51, 0xDD},                                         // ] }
    {52, 'Z'},   {53, 'X'},   {54, 'C'},   {55, 'V'},   {56, 'B'},  {57, 'N'},
    {58, 'M'},   {59, 0xBC},                                         // , <
    {60, 0xBE},                                                      // . >
    {61, 0xBF},                                                      // / ?
    {62, 0x10},                                                      // Shift_R
    {63, 0x6A},                                                      // keypad *
    {64, 0x12},                                                      // Alt_L
    {65, 0x20},                                                      // Space
    {66, 0x14},                                                      // Caps Lock (英数)
    {67, 0x70},  {68, 0x71},  {69, 0x72},  {70, 0x73},  {71, 0x74},  // F1..F5
    {72, 0x75},  {73, 0x76},  {74, 0x77},  {75, 0x78},  {76, 0x79},  // F6..F10
    {77, 0x90},                                                      // Num Lock
    {78, 0x91},                                                      // Scroll Lock
    {82, 0x6D},                                                      // keypad -
    {86, 0x6B},                                                      // keypad +
    {95, 0x7A},  {96, 0x7B},                                         // F11, F12
    {97, 0xE2},                                                      // \ _ (ろ)
    {100, 0x1C},                                                     // 変換
    {101, 0xF2},                                                     // カタカナ/ひらがな
    {102, 0x1D},                                                     // 無変換
    {104, 0x0D},                                                     // keypad Enter
    {105, 0x11},                                                     // Control_R
    {106, 0x6F},                                                     // keypad /
    {107, 0x2C},                                                     // Print
    {108, 0x12},                                                     // Alt_R
    {110, 0x24}, {111, 0x26}, {112, 0x21}, {113, 0x25},              // Home Up PageUp Left
    {114, 0x27}, {115, 0x23}, {116, 0x28}, {117, 0x22},              // Right End Down PageDown
    {118, 0x2D}, {119, 0x2E},                                        // Insert Delete
    {127, 0x13},                                                     // Pause
    {132, 0xDC},                                                     // ¥ |
    {133, 0x5B}, {134, 0x5C}, {135, 0x5D},                           // Windows keys, Menu
};

// The keypad keys that change with Num Lock: their digit code and their navigation code.
struct KeypadKey {
  std::uint32_t keycode;
  int digit;
  int navigation;
};
constexpr KeypadKey kKeypad[] = {
    {79, 0x67, 0x24}, {80, 0x68, 0x26}, {81, 0x69, 0x21},  // 7 8 9 / Home Up PageUp
    {83, 0x64, 0x25}, {84, 0x65, 0x0C}, {85, 0x66, 0x27},  // 4 5 6 / Left Clear Right
    {87, 0x61, 0x23}, {88, 0x62, 0x28}, {89, 0x63, 0x22},  // 1 2 3 / End Down PageDown
    {90, 0x60, 0x2D}, {91, 0x6E, 0x2E},                    // 0 . / Insert Delete
};

struct QtKeyRow {
  int qtKey;
  int vk;
};
// Keys whose Qt code differs from the virtual-key code; symbols map to the key that carries them
// on the Japanese layout (Shift+2 gives '"', so '"' is the 2 key).
constexpr QtKeyRow kQtKeys[] = {
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Home, 0x24},
    {Qt::Key_End, 0x23},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_AltGr, 0x12},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Space, 0x20},
    {Qt::Key_Henkan, 0x1C},
    {Qt::Key_Muhenkan, 0x1D},
    {Qt::Key_Hiragana_Katakana, 0xF2},
    {Qt::Key_Zenkaku_Hankaku, 0xF3},
    {Qt::Key_Exclam, 0x31},
    {Qt::Key_QuoteDbl, 0x32},
    {Qt::Key_NumberSign, 0x33},
    {Qt::Key_Dollar, 0x34},
    {Qt::Key_Percent, 0x35},
    {Qt::Key_Ampersand, 0x36},
    {Qt::Key_Apostrophe, 0x37},
    {Qt::Key_ParenLeft, 0x38},
    {Qt::Key_ParenRight, 0x39},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Equal, 0xBD},
    {Qt::Key_AsciiCircum, 0xDE},
    {Qt::Key_AsciiTilde, 0xDE},
    {Qt::Key_yen, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_At, 0xC0},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Semicolon, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Asterisk, 0xBA},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_Backslash, 0xE2},
    {Qt::Key_Underscore, 0xE2},
};

}  // namespace

int VirtualKeyFromX11(std::uint32_t keycode, bool numLockDigit) {
  for (const auto& k : kKeypad) {
    if (k.keycode == keycode) return numLockDigit ? k.digit : k.navigation;
  }
  for (const auto& [x, vk] : kX11Keys) {
    if (x == keycode) return vk;
  }
  return 0;
}

int VirtualKeyFromQtKey(int qtKey, bool keypad) {
  if (keypad) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x60 + (qtKey - Qt::Key_0);
    switch (qtKey) {
      case Qt::Key_Asterisk:
        return 0x6A;
      case Qt::Key_Plus:
        return 0x6B;
      case Qt::Key_Minus:
        return 0x6D;
      case Qt::Key_Period:
        return 0x6E;
      case Qt::Key_Comma:
        return 0x6E;
      case Qt::Key_Slash:
        return 0x6F;
      default:
        break;
    }
  }
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return qtKey;  // the same codes as the virtual keys
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  for (const auto& row : kQtKeys) {
    if (row.qtKey == qtKey) return row.vk;
  }
  return 0;
}

}  // namespace zentory
