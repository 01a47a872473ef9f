#include "app/settings.h"

#include <filesystem>
#include <system_error>

#include "base/general.h"

namespace zentory {

namespace {

constexpr std::size_t kFieldCount = 10;
constexpr std::size_t kReservedOffset = kFieldCount * 4;
static_assert(kReservedOffset + std::tuple_size_v<decltype(SettingsBlock::reserved)> ==
              kSettingsBytes);

// The ten fields in file order.
std::array<std::int32_t*, kFieldCount> Fields(SettingsBlock& b) {
  return {&b.speechRate, &b.speechVolume, &b.inputMode,   &b.positionUnit,  &b.abbreviatedReading,
          &b.menuSound,  &b.minTickStep,  &b.stdTickStep, &b.lastPitchBend, &b.lastTempo};
}

// Fills the fields that BYTES holds wholly (the first BYTESREAD bytes) and leaves the others.
void DecodeInto(const std::uint8_t* bytes, std::size_t bytesRead, SettingsBlock& block) {
  auto fields = Fields(block);
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if ((i + 1) * 4 <= bytesRead) *fields[i] = LoadLe32(bytes + i * 4);
  }
  for (std::size_t i = 0; i < block.reserved.size(); ++i) {
    block.reserved[i] = kReservedOffset + i < bytesRead ? bytes[kReservedOffset + i] : 0;
  }
}

}  // namespace

SettingsBlock DefaultSettings(int ratePosition, int volumePosition) {
  SettingsBlock block;
  block.speechRate = ratePosition;
  block.speechVolume = volumePosition;
  return block;
}

SettingsBlock LoadSettings(const std::string& path, int ratePosition, int volumePosition) {
  SettingsBlock block = DefaultSettings(ratePosition, volumePosition);
  std::error_code ec;
  if (std::filesystem::exists(PathFromUtf8(path), ec) || ec) {
    std::array<std::uint8_t, kSettingsBytes> bytes{};
    std::size_t bytesRead = 0;
    // ReadExact shows GENE 01000007 when the file cannot be opened and 0100000A when it is short.
    if (ReadExact(path, bytes, &bytesRead)) DecodeInto(bytes.data(), bytesRead, block);
  }
  if (block.minTickStep < 1) block.minTickStep = 1;
  if (block.stdTickStep < 1) block.stdTickStep = 10;
  return block;
}

std::array<std::uint8_t, kSettingsBytes> EncodeSettings(const SettingsBlock& block) {
  std::array<std::uint8_t, kSettingsBytes> bytes{};
  SettingsBlock copy = block;
  auto fields = Fields(copy);
  for (std::size_t i = 0; i < kFieldCount; ++i) StoreLe32(bytes.data() + i * 4, *fields[i]);
  for (std::size_t i = 0; i < block.reserved.size(); ++i) {
    bytes[kReservedOffset + i] = block.reserved[i];
  }
  return bytes;
}

SettingsBlock DecodeSettings(const std::array<std::uint8_t, kSettingsBytes>& bytes) {
  SettingsBlock block;
  DecodeInto(bytes.data(), bytes.size(), block);
  return block;
}

bool SaveSettings(const std::string& path, const SettingsBlock& block) {
  auto bytes = EncodeSettings(block);
  return WriteWholeFile(path, bytes);
}

}  // namespace zentory
