// Generated songs for the benchmarks that drive the main window.
#pragma once

#include <memory>
#include <random>
#include <vector>

#include "song/channel_values.h"
#include "song/midi_data.h"

namespace zentory::bench_songs {

// A note-form song of a master track and CHANNELTRACKS tracks on channels 1, 2, ... holding
// TOTAL events between them: notes with now and then a controller, markers in the master track.
inline std::unique_ptr<CMidi1Data> MakeSong(std::int64_t total, ChannelTable& channels,
                                            int channelTracks = 16) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(0, 99), key(48, 72), len(30, 960), gap(0, 2);
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  channels.fill(kMasterChannel);
  const std::int64_t perTrack = total / (channelTracks + 1);
  for (int i = 0; i <= channelTracks; ++i) {
    auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
    t->Events().reserve(static_cast<std::size_t>(perTrack + 1));
    if (i == 0) {
      t->AppendTimeSignature(4, 2);
      t->AppendTempo(500000);
      for (std::int64_t n = 2; n + 1 < perTrack; ++n) {
        t->Events().push_back(MakeMetaEvent(120, ev::kMetaMarker, std::vector<std::uint8_t>{'M'}));
      }
    } else {
      const int c = i - 1;
      channels[static_cast<std::size_t>(i)] = c;
      t->AppendProgramChange(c, 0);
      for (std::int64_t n = 1; n + 1 < perTrack; ++n) {
        const int d = gap(rng) * 60;
        if (pick(rng) < 95) {
          t->Events().push_back(MakeNoteEvent(d, c, key(rng), len(rng), 100));
        } else {
          t->AppendControlChange(c, 7, 100);
          t->Events().back().delta = d;
        }
      }
    }
    t->AppendEndOfTrack(0);
    tracks.push_back(std::move(t));
  }
  auto song = std::make_unique<CMidi1Data>();
  song->resolution = 480;
  song->state = song_state::kNoteForm;
  song->SetTracks(std::move(tracks));
  return song;
}

}  // namespace zentory::bench_songs
