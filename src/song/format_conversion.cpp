#include "song/format_conversion.h"

#include <algorithm>
#include <array>
#include <queue>
#include <vector>

#include "song/play_start_state.h"
#include "song/song_errors.h"

namespace zentory {

namespace {
constexpr std::int32_t kDefaultMeasure = 384;

std::int32_t SplitTarget(const CMusicEvent& e) {
  if (e.status == ev::kMeta) return 0;
  if (e.status == ev::kSysEx || e.status == ev::kSysExContinuation) return 1;
  return (e.channel & 0x0F) + 1;
}
}  // namespace

std::unique_ptr<CMidi1Data> SplitFormat0(const CMidi0Data& source) {
  if (source.Track().Form() != CMidiTrack::kNoteForm) {
    M1dtError(m1dt::kWrongState);
    return nullptr;
  }
  std::array<std::unique_ptr<CMidiTrack>, kSplitTrackCount> tracks;
  std::array<std::int64_t, kSplitTrackCount> counters{};
  for (auto& t : tracks) {
    t = std::make_unique<CMidiTrack>(source.Capacity(), CMidiTrack::kNoteForm);
  }
  // A counter per track keeps the time since that track's last event, so the split is one pass.
  auto clampDelta = [](std::int64_t d) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(d, 0x7FFFFFFF));
  };
  for (const CMusicEvent& e : source.Track().Events()) {
    for (auto& c : counters) c += e.delta;
    if (e.status == ev::kDeleted) continue;
    if (e.IsEndOfTrack()) {
      for (std::size_t i = 0; i < tracks.size(); ++i) {
        tracks[i]->AppendEndOfTrack(clampDelta(counters[i]));
        counters[i] = 0;
      }
      continue;
    }
    const auto target = static_cast<std::size_t>(SplitTarget(e));
    CMusicEvent copy(e);
    copy.delta = clampDelta(counters[target]);
    counters[target] = 0;
    tracks[target]->Events().push_back(std::move(copy));
  }
  // A source cut short before its end-of-track still gives tracks that end.
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    tracks[i]->AppendEndOfTrack(clampDelta(counters[i]));
  }
  auto song = std::make_unique<CMidi1Data>(source.Capacity());
  song->resolution = source.resolution;
  for (auto& t : tracks) song->AppendTrack(std::move(t));
  song->state = song_state::kNoteForm;
  return song;
}

bool SplitMasterChannelEvents(std::vector<std::unique_ptr<CMidiTrack>>& all) {
  if (all.empty()) return false;
  CMidiTrack& master = *all[0];
  auto isChannelEvent = [](const CMusicEvent& e) {
    return e.status != ev::kDeleted && e.status != ev::kMeta && e.status != ev::kSysEx &&
           e.status != ev::kSysExContinuation;
  };
  std::array<bool, 16> used{};
  for (const CMusicEvent& e : master.Events()) {
    if (isChannelEvent(e)) used[static_cast<std::size_t>(e.channel & 0x0F)] = true;
  }
  const auto count = static_cast<std::int32_t>(std::count(used.begin(), used.end(), true));
  if (count == 0 || all.size() + static_cast<std::size_t>(count) > CMidi1Data::kMaxTracks) {
    return false;
  }

  std::array<std::unique_ptr<CMidiTrack>, 16> tracks;
  std::array<std::int64_t, 16> last{};  // time of each new track's last event
  for (std::size_t c = 0; c < tracks.size(); ++c) {
    if (used[c]) tracks[c] = std::make_unique<CMidiTrack>(master.Capacity(), master.Form());
  }
  auto clampDelta = [](std::int64_t d) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(d, 0, 0x7FFFFFFF));
  };
  std::int64_t now = 0;
  for (CMusicEvent& e : master.Events()) {
    now += e.delta;
    if (!isChannelEvent(e)) continue;
    const auto c = static_cast<std::size_t>(e.channel & 0x0F);
    CMusicEvent copy(e);
    copy.delta = clampDelta(now - last[c]);
    last[c] = now;
    tracks[c]->Events().push_back(std::move(copy));
    e.status = ev::kDeleted;  // its delta passes on at the compaction
  }
  master.Compact();
  auto at = all.begin() + 1;
  for (std::size_t c = 0; c < tracks.size(); ++c) {
    if (!tracks[c]) continue;
    tracks[c]->AppendEndOfTrack(clampDelta(now - last[c]));
    at = all.insert(at, std::move(tracks[c])) + 1;
  }
  return true;
}

bool MergeTracks(std::span<const CMidiTrack* const> tracks, CMidiTrack& target) {
  if (tracks.empty()) {
    MdtkError(mdtk::kBadTrack);
    return false;
  }
  std::size_t total = 0;
  for (const CMidiTrack* t : tracks) {
    if (t == nullptr || t->Form() != CMidiTrack::kNoteForm) {
      MdtkError(mdtk::kInternal);
      return false;
    }
    total += t->Events().size();
  }
  // Heads ordered by (tick, pass, track): at one tick each track gives one event per pass,
  // lower track index first, which is the order of the pass-by-pass merge.
  struct Head {
    std::int64_t tick;
    std::int64_t pass;
    std::size_t track;
    std::size_t index;
    bool operator>(const Head& o) const {
      if (tick != o.tick) return tick > o.tick;
      if (pass != o.pass) return pass > o.pass;
      return track > o.track;
    }
  };
  std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    const auto& events = tracks[i]->Events();
    if (!events.empty()) heads.push({events[0].delta, 0, i, 0});
  }
  std::vector<CMusicEvent> merged;
  merged.reserve(total + 1);
  std::int64_t now = 0;
  while (!heads.empty()) {
    const Head h = heads.top();
    heads.pop();
    const auto& events = tracks[h.track]->Events();
    CMusicEvent copy(events[h.index]);
    copy.delta = static_cast<std::int32_t>(h.tick - now);
    now = h.tick;
    merged.push_back(std::move(copy));
    const std::size_t next = h.index + 1;
    if (next < events.size()) {
      const std::int64_t tick = h.tick + events[next].delta;
      heads.push({tick, tick == h.tick ? h.pass + 1 : 0, h.track, next});
    }
  }
  target.Clear();
  target.Events() = std::move(merged);
  target.SetForm(CMidiTrack::kNoteForm);
  target.FixEndOfTrack();
  return true;
}

bool MergeSong(const CMidi1Data& song, CMidi0Data& target) {
  if (song.state != song_state::kNoteForm) {
    M1dtError(m1dt::kWrongState);
    return false;
  }
  std::vector<const CMidiTrack*> tracks;
  tracks.reserve(song.Tracks().size());
  for (const auto& t : song.Tracks()) tracks.push_back(t.get());
  if (!MergeTracks(tracks, target.Track())) return false;
  target.resolution = song.resolution;
  target.state = song_state::kNoteForm;
  return true;
}

std::unique_ptr<CMidi0Data> MakePlayerData(const CMidi1Data& song, std::int64_t from,
                                           std::int64_t to) {
  CMidi0Data merged(CDataBuff::kStandardCapacity);
  if (!MergeSong(song, merged)) return nullptr;
  // What lies before the window is sent as the state it leaves, not replayed event by event.
  ReduceToStateAt(merged.Track(), from);
  auto window = std::make_unique<CMidi0Data>(CMidi0Data::CopyWindowOf(merged, from, to));
  window->resolution = merged.resolution;
  window->state = song_state::kNoteForm;
  return window;
}

std::int32_t MeasureLength(const CMidi0Data& data) {
  if (data.state != song_state::kRawForm && data.state != song_state::kNoteForm) {
    M0dtError(m0dt::kWrongState);
    return kDefaultMeasure;
  }
  std::int32_t word = data.timeSignatureOverride;
  if (word == 0) {
    for (const CMusicEvent& e : data.Track().Events()) {
      if (e.IsMeta(ev::kMetaTimeSignature)) {
        word = e.value;
        break;
      }
    }
  }
  const std::int32_t numerator = word / 256;
  const std::int32_t denominator = word % 256;
  if (word <= 0 || denominator <= 0 || data.resolution == 0) return kDefaultMeasure;
  const double ticks = 4.0 / denominator * numerator * data.resolution;
  if (!(ticks >= 0.0 && ticks < 2147483647.0)) return kDefaultMeasure;
  return static_cast<std::int32_t>(ticks);
}

}  // namespace zentory
