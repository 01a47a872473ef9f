// The user's preferences as they live in memory and, byte for byte, in setup.ini: ten 32-bit
// little-endian fields followed by reserved bytes. Data only; loading and saving are in app/.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zentory {

struct SettingsBlock {
  std::int32_t speechRate = 0;          // rate slider position, -10..10
  std::int32_t speechVolume = 100;      // volume slider position, 0..100
  std::int32_t inputMode = 0;           // 0 MML mode, 1 keyboard mode
  std::int32_t positionUnit = 0;        // 0 sixteenth notes, 1 ticks
  std::int32_t abbreviatedReading = 0;  // 0 full, 1 numbers only
  std::int32_t menuSound = 1;           // 1 background sound in menu mode
  std::int32_t minTickStep = 1;         // ticks of the minimum tick moves
  std::int32_t stdTickStep = 10;        // ticks of the standard tick moves
  std::int32_t lastPitchBend = 0;       // used when Return is pressed with no digits typed
  std::int32_t lastTempo = 120;         // likewise, for the tempo entry
  std::array<std::uint8_t, 244> reserved{};
};

// The size of the record on disk (40 bytes of fields + 244 reserved).
inline constexpr std::size_t kSettingsBytes = 284;

}  // namespace zentory
