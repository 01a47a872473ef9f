// The load sequence of the editor: read the file whole, probe its format, take the format-0 or
// format-1 path, rescale to 480 ticks per quarter note, and collect the time signatures the edit
// position counts bars with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "song/midi_data.h"

namespace zentory {

// The editor's resolution after every load.
inline constexpr std::int32_t kEditorResolution = 480;

// A time signature of the master track: NUMERATOR / 2^POWER from TICK on (at 480 ticks).
struct TimeSignatureMark {
  std::int32_t numerator = 4;
  std::int32_t power = 2;
  std::int64_t tick = 0;
};

struct LoadedSong {
  // The song in note form at 480 ticks per quarter note; null when no song could be read (the
  // reason has been reported).
  std::unique_ptr<CMidi1Data> song;
  std::vector<TimeSignatureMark> timeSignatures;
};

// Loads from the bytes of a whole file. The reports of one load are held back and shown once per
// text when it ends (ScopedReportBatch).
LoadedSong LoadSongFromBytes(std::vector<std::uint8_t> bytes);
// Reads PATH whole (a file that cannot be opened is reported by the general module) and loads it.
LoadedSong LoadSongFile(const std::string& path);

// The channel the editor gives TRACK: that of its first channel event, else the one its MIDI
// channel prefix (meta 0x20) names, else ev::kNoChannel.
std::int32_t EditorChannelOf(const CMidiTrack& track);

// The time-signature events (meta 0x58) of TRACK with their absolute ticks.
std::vector<TimeSignatureMark> CollectTimeSignatures(const CMidiTrack& track);

}  // namespace zentory
