// setup.ini: the SettingsBlock stored as its 284 bytes, read once at start-up and written once at
// shutdown.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/settings_block.h"

namespace zentory {

// The record for a first run: the given slider positions for rate and volume, the other fields
// at their defaults.
SettingsBlock DefaultSettings(int ratePosition, int volumePosition);

// Reads PATH. No file: the defaults, silently. A file that exists but cannot be opened: GENE
// 01000007 and the defaults. A short file: GENE 0100000A; every field read wholly is kept, the
// others take their defaults. A longer file: its first 284 bytes, silently. Tick steps below 1
// are mended (minimum -> 1, standard -> 10).
SettingsBlock LoadSettings(const std::string& path, int ratePosition, int volumePosition);

// The 284 bytes of BLOCK in file order.
std::array<std::uint8_t, kSettingsBytes> EncodeSettings(const SettingsBlock& block);
// The inverse for a whole record (no mending).
SettingsBlock DecodeSettings(const std::array<std::uint8_t, kSettingsBytes>& bytes);

// Writes exactly 284 bytes to PATH (temporary file + rename). False after GENE 01000007.
bool SaveSettings(const std::string& path, const SettingsBlock& block);

}  // namespace zentory
