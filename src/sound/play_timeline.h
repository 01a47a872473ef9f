// The player's data: the play copy at 96 ticks per quarter in raw form with its leading empty
// bars cut off, and the exact due time of every event from the tempo map.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "song/midi_data.h"

namespace zentory {

// The player's resolution: every play is rescaled to it.
inline constexpr std::int32_t kPlayResolution = 96;
// Microseconds per quarter note before the first tempo event (120 BPM).
inline constexpr std::int64_t kDefaultTempoUs = 500000;
// The tempo clamps: below 1000 us a tempo is wrong and plays at 60 BPM; slower than 10 BPM plays
// at 10 BPM.
inline constexpr std::int64_t kWrongTempoUs = 1000000;
inline constexpr std::int64_t kSlowestTempoUs = 6000000;

struct PlayCopy {
  std::unique_ptr<CMidi0Data> data;  // raw form at kPlayResolution
  std::int64_t startTick = 0;        // ticks cut from the front (whole bars before the first note)
};

// Copies SONG (note form, else M0DT 04000005 and nothing), rescales it to 96 ticks per quarter
// (notes that would vanish keep 1 tick), converts it to raw form and, when SKIPLEADINGBARS is
// set, cuts the whole bars before the first note-on.
PlayCopy MakePlayCopy(const CMidi0Data& song, bool skipLeadingBars);

// How a tempo event is taken.
enum class TempoFix : std::uint8_t { kNone, kWrong, kTooSlow };

struct Timeline {
  std::vector<std::int64_t> tick;   // absolute tick of each event in the play copy
  std::vector<std::int64_t> dueUs;  // its due time, microseconds after time 0 (the copy's tick 0)
  std::vector<TempoFix> tempoFix;   // per event: how its tempo was clamped
  std::vector<bool> negativeDelta;  // per event: its delta was negative (taken as 0)
  std::int32_t firstNoteOn = -1;    // index of the first note-on; -1 when there is none
};

// The tempo in microseconds per quarter that a tempo event of VALUE sets, and its clamp.
std::int64_t TempoOfEvent(std::int32_t value, TempoFix* fix);

// Due times from the tempo map: each event's time is counted from the last tempo change in
// 64-bit microseconds, so nothing is lost to rounding however long the song.
Timeline ComputeTimeline(const CMidiTrack& track, std::int32_t resolution);

}  // namespace zentory
