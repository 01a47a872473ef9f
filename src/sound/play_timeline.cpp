#include "sound/play_timeline.h"

#include <algorithm>

#include "song/format_conversion.h"
#include "song/midi_values.h"
#include "song/song_errors.h"

namespace zentory {

PlayCopy MakePlayCopy(const CMidi0Data& song, bool skipLeadingBars) {
  PlayCopy result;
  if (song.state != song_state::kNoteForm || song.Track().Form() != CMidiTrack::kNoteForm) {
    M0dtError(m0dt::kWrongState);
    return result;
  }
  auto copy = std::make_unique<CMidi0Data>(song);
  copy->workingCopy.reset();
  copy->Track().ChangeResolution(song.resolution, kPlayResolution, 0);
  copy->resolution = kPlayResolution;
  copy->Track().ToRawForm();
  copy->state = song_state::kRawForm;

  if (skipLeadingBars) {
    auto& events = copy->Track().Events();
    std::int64_t sum = 0;
    std::int64_t firstNote = -1;
    for (const CMusicEvent& e : events) {
      sum += e.delta;
      if (e.status == ev::kNoteOn) {
        firstNote = sum;
        break;
      }
    }
    if (firstNote > 0) {
      const std::int64_t bar = std::max<std::int32_t>(MeasureLength(*copy), 1);
      const std::int64_t start = firstNote / bar * bar;
      std::int64_t running = 0;
      for (CMusicEvent& e : events) {
        running += e.delta;
        if (running <= start) {
          e.delta = 0;
        } else {
          e.delta = static_cast<std::int32_t>(running - start);
          break;
        }
      }
      result.startTick = start;
    }
  }
  result.data = std::move(copy);
  return result;
}

std::int64_t TempoOfEvent(std::int32_t value, TempoFix* fix) {
  TempoFix f = TempoFix::kNone;
  std::int64_t tempo = value;
  if (value / 1000 <= 0) {
    f = TempoFix::kWrong;
    tempo = kWrongTempoUs;
  } else if (60000 / (value / 1000) < 10) {
    f = TempoFix::kTooSlow;
    tempo = kSlowestTempoUs;
  }
  if (fix) *fix = f;
  return tempo;
}

Timeline ComputeTimeline(const CMidiTrack& track, std::int32_t resolution) {
  const auto& events = track.Events();
  const std::size_t n = events.size();
  Timeline t;
  t.tick.resize(n);
  t.dueUs.resize(n);
  t.tempoFix.assign(n, TempoFix::kNone);
  t.negativeDelta.assign(n, false);
  const std::int64_t res = std::max<std::int32_t>(resolution, 1);
  std::int64_t tick = 0;
  std::int64_t tempo = kDefaultTempoUs;
  std::int64_t segmentTick = 0;  // where the tempo in force began
  std::int64_t segmentUs = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const CMusicEvent& e = events[i];
    if (e.delta < 0) {
      t.negativeDelta[i] = true;
    } else {
      tick += e.delta;
    }
    t.tick[i] = tick;
    t.dueUs[i] = segmentUs + (tick - segmentTick) * tempo / res;
    if (e.IsMeta(ev::kMetaTempo)) {
      TempoFix fix;
      const std::int64_t next = TempoOfEvent(e.value, &fix);
      t.tempoFix[i] = fix;
      segmentUs = t.dueUs[i];
      segmentTick = tick;
      tempo = next;
    }
    if (t.firstNoteOn < 0 && e.status == ev::kNoteOn) t.firstNoteOn = static_cast<std::int32_t>(i);
  }
  return t;
}

}  // namespace zentory
