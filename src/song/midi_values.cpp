#include "song/midi_values.h"

#include <algorithm>
#include <cmath>

#include "base/general.h"
#include "song/song_errors.h"

namespace zentory {

std::int32_t BpmFromTempo(std::int32_t microseconds) {
  const std::int32_t q = microseconds / 1000;
  if (q == 0) {
    GeneralError(gene::kBpmConversion);
    return 0;
  }
  return 60000 / q;
}

std::int32_t TempoFromBpm(std::int32_t bpm) {
  if (bpm == 0) {
    GeneralError(gene::kTempoConversion);
    return 0;
  }
  return (60000 / bpm) * 1000;
}

bool IsPortBName(std::string_view text) {
  static constexpr std::string_view kNames[] = {"SC88B", "88B", "SC-88 B", "SC-88B"};
  for (std::string_view name : kNames) {
    if (text.find(name) != std::string_view::npos) return true;
  }
  return false;
}

std::int32_t BendFromPercent(std::int32_t percent, std::int32_t range) {
  if (range == 0) return 0;
  const double r = std::trunc(8191.5 / range * 0.01 * percent);
  return static_cast<std::int32_t>(std::clamp(r, -8192.0, 8191.0));
}

bool GsChecksum(std::span<std::uint8_t> message) {
  if (message.size() < 11) {
    MdsxError(mdsx::kBadMessage);
    return false;
  }
  const int sum = message[6] + message[7] + message[8] + message[9];
  message[10] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
  return true;
}

bool GsPartBlock(std::int32_t channel, std::uint8_t* out, std::int32_t base) {
  if (out == nullptr || channel < 0 || channel > 15) {
    MdsxError(mdsx::kBadMessage);
    return false;
  }
  std::int32_t v = base + channel;
  if (channel <= 8) {
    v = base + channel + 1;
  } else if (channel == 9) {
    v = base;
  }
  *out = static_cast<std::uint8_t>(v);
  return true;
}

}  // namespace zentory
