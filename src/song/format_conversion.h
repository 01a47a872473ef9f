// Conversions between the editor's song of tracks (CMidi1Data: master track, then one track per
// channel) and single-track data (CMidi0Data): the split of a format-0 file, the merge used for
// playback and whole-song look-ups, the player's data and the measure length.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "song/midi_data.h"

namespace zentory {

// Master track plus one track per MIDI channel.
inline constexpr std::int32_t kSplitTrackCount = 17;

// The editor's 17 tracks from format-0 data in note form: channel events go to track channel + 1,
// meta events to track 0, system exclusive messages to track 1, and every track ends at the
// source's end-of-track. Null (M1DT 03000003) when SOURCE is not in note form.
std::unique_ptr<CMidi1Data> SplitFormat0(const CMidi0Data& source);

// Moves the channel events of the first of TRACKS (the master track, in note form) into new
// tracks, one per channel in channel order, placed right after it; the master track keeps its
// meta and system exclusive events. Each new track ends where the master track ends. Returns
// false (and changes nothing) when the first track holds no channel event, or when the new tracks
// would take the song past its track limit.
bool SplitMasterChannelEvents(std::vector<std::unique_ptr<CMidiTrack>>& tracks);

// Merges N tracks in note form into TARGET (cleared first) by time; at one tick the tracks give
// one event each per pass, lower index first. Zero tracks: MDTK 0D000026, TARGET unchanged; a
// track not in note form: MDTK 0D000001, TARGET unchanged.
bool MergeTracks(std::span<const CMidiTrack* const> tracks, CMidiTrack& target);

// Merges the song (state 2, else M1DT 03000003) into TARGET's one track; TARGET takes the song's
// resolution and state 2.
bool MergeSong(const CMidi1Data& song, CMidi0Data& target);

// The data the player gets: the song merged and cut to the tick window [FROM, TO) in note form
// at the song's resolution, what lies before FROM reduced to the state it leaves in force
// (ReduceToStateAt). Null when the song cannot be merged.
std::unique_ptr<CMidi0Data> MakePlayerData(const CMidi1Data& song, std::int64_t from,
                                           std::int64_t to);

// Ticks per bar from the override word, else the track's first time signature; 384 when there is
// none. Data in a state other than 1 or 2 reports M0DT 04000005 (384).
std::int32_t MeasureLength(const CMidi0Data& data);

}  // namespace zentory
