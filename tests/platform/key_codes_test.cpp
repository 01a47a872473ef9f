#include "ui/qt/key_codes.h"

#include <gtest/gtest.h>

#include <Qt>

namespace zentory {
namespace {

TEST(KeyCodesX11, JapaneseLayoutPunctuationLettersDigitsAndFunctionKeys) {
  struct Row {
    std::uint32_t keycode;
    int vk;
  };
  const Row rows[] = {
      {20, 0xBD},  {21, 0xDE},  {34, 0xC0},  {35, 0xDB},  {47, 0xBB},  {48, 0xBA},  // - ^ @ [ ; :
      {51, 0xDD},  {59, 0xBC},  {60, 0xBE},  {61, 0xBF},  {132, 0xDC}, {97, 0xE2},  // ] , . / ¥ \.
      {38, 'A'},   {58, 'M'},   {10, '1'},   {19, '0'},   {67, 0x70},  {96, 0x7B},
      {9, 0x1B},   {36, 0x0D},  {65, 0x20},  {22, 0x08},  {23, 0x09},  {119, 0x2E},
      {110, 0x24}, {115, 0x23}, {112, 0x21}, {117, 0x22}, {111, 0x26}, {116, 0x28},
      {113, 0x25}, {114, 0x27}, {64, 0x12},  {108, 0x12}, {37, 0x11},  {50, 0x10},
      {63, 0x6A},  {86, 0x6B},  {82, 0x6D},  {106, 0x6F}, {104, 0x0D},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(VirtualKeyFromX11(row.keycode), row.vk) << "keycode " << row.keycode;
  }
  EXPECT_EQ(VirtualKeyFromX11(0), 0);
  EXPECT_EQ(VirtualKeyFromX11(250), 0);
}

TEST(KeyCodesX11, KeypadFollowsNumLock) {
  EXPECT_EQ(VirtualKeyFromX11(90, true), 0x60);
  EXPECT_EQ(VirtualKeyFromX11(79, true), 0x67);
  EXPECT_EQ(VirtualKeyFromX11(81, true), 0x69);
  EXPECT_EQ(VirtualKeyFromX11(91, true), 0x6E);
  EXPECT_EQ(VirtualKeyFromX11(79, false), 0x24);  // Home
  EXPECT_EQ(VirtualKeyFromX11(91, false), 0x2E);  // Delete
}

TEST(KeyCodesQt, FallbackUsesTheKeyThatCarriesTheSymbol) {
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Q, false), 'Q');
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_7, false), '7');
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_7, true), 0x67);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Minus, true), 0x6D);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Minus, false), 0xBD);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_NumberSign, false), '3');  // Shift+3
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Plus, false), 0xBB);       // Shift+;
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, false), 0xBA);   // Shift+:
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_yen, false), 0xDC);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Backslash, false), 0xE2);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F10, false), 0x79);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Alt, false), 0x12);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_PageDown, false), 0x22);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_unknown, false), 0);
}

}  // namespace
}  // namespace zentory
