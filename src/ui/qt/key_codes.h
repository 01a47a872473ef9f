// Windows virtual-key codes of the keys, as Windows maps them under the Japanese 106/109 layout.
#pragma once

#include <cstdint>

namespace zentory {

// The code of X keycode KEYCODE (evdev numbering, as XKB reports it); 0 when the key has none.
// NUMLOCKDIGIT: the keypad key produced a digit or the decimal point (Num Lock on); with Num
// Lock off the keypad keys are the navigation keys, as on Windows.
int VirtualKeyFromX11(std::uint32_t keycode, bool numLockDigit = true);
// The code of a Qt::Key (for platforms that give no native code); KEYPAD: the key is on the
// numeric keypad. 0 when the key has none.
int VirtualKeyFromQtKey(int qtKey, bool keypad);

}  // namespace zentory
