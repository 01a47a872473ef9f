// Small MIDI value functions shared by the song, sound and edit layers.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zentory {

// Whole beats per minute of a tempo in microseconds per quarter: 60000 / (us / 1000). A tempo
// below 1000 us reports GENE 01000012 and gives 0.
std::int32_t BpmFromTempo(std::int32_t microseconds);
// Microseconds per quarter of a whole BPM: (60000 / bpm) * 1000. BPM 0 reports GENE 01000013
// and gives 0.
std::int32_t TempoFromBpm(std::int32_t bpm);
// True when TEXT names port B of a two-port module ("SC88B", "88B", "SC-88 B", "SC-88B").
bool IsPortBName(std::string_view text);
// The pitch bend for PERCENT of a bend RANGE: trunc(8191.5 / range * 0.01 * percent), kept
// within -8192..8191; a range of 0 gives 0.
std::int32_t BendFromPercent(std::int32_t percent, std::int32_t range);
// Sets byte 10 of a GS data-set message in stored form (F0 len 41 dev 42 12 a1 a2 a3 data sum
// F7) so that address, data and checksum sum to a multiple of 128. A message shorter than 11
// bytes reports MDSX 36000001 and is left alone (false).
bool GsChecksum(std::span<std::uint8_t> message);
// Writes the GS part address byte of CHANNEL (0-15) into *OUT: base + channel + 1 for 0-8,
// base for 9, base + channel for 10-15. A null OUT or a channel outside 0-15 reports
// MDSX 36000001 (false).
bool GsPartBlock(std::int32_t channel, std::uint8_t* out, std::int32_t base);

}  // namespace zentory
