// Form conversions, resolution change, window copy and merge. Each works in one pass over
// absolute times (plus a sort of the note-offs in ToRawForm) and gives the event order and deltas
// that the step-by-step walks over the list would give.
#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

#include "song/midi_track.h"
#include "song/song_errors.h"

namespace zentory {

namespace {

constexpr std::int64_t kMaxDelta = std::numeric_limits<std::int32_t>::max();

std::int32_t ToDelta(std::int64_t d) {
  if (d < 0) {
    MdtkError(mdtk::kBadPlayData);
    return 0;
  }
  return static_cast<std::int32_t>(std::min(d, kMaxDelta));
}

// Dense ids for (channel, key) pairs: 0..2047 for the MIDI range, further ids for anything else.
class NoteIds {
 public:
  std::size_t Id(std::int32_t channel, std::int32_t key) {
    if (channel >= 0 && channel < 16 && key >= 0 && key < 128) {
      return static_cast<std::size_t>(channel * 128 + key);
    }
    const auto packed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(channel)) << 32) |
                        static_cast<std::uint32_t>(key);
    auto [it, added] = others_.try_emplace(packed, 2048 + others_.size());
    return it->second;
  }
  std::size_t Count() const { return 2048 + others_.size(); }

 private:
  std::unordered_map<std::uint64_t, std::size_t> others_;
};

}  // namespace

bool CMidiTrack::ToNoteForm() {
  if (form_ != kRawForm) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  const std::size_t n = events_.size();
  for (CMusicEvent& e : events_) {
    if (e.status == ev::kNoteOn && e.velocity == 0) e.status = ev::kNoteOff;
  }
  const std::vector<std::int64_t> abs = AbsoluteTimes();

  // The note-offs of each (channel, key) in list order, as one bucketed array.
  NoteIds ids;
  std::vector<std::size_t> offId(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const CMusicEvent& e = events_[i];
    if (e.status == ev::kNoteOff || e.status == ev::kNoteOn) offId[i] = ids.Id(e.channel, e.key);
  }
  std::vector<std::size_t> start(ids.Count() + 1, 0);
  for (std::size_t i = 0; i < n; ++i) {
    if (events_[i].status == ev::kNoteOff) ++start[offId[i] + 1];
  }
  for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
  std::vector<std::size_t> offs(start.back());
  std::vector<std::size_t> cursor(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < n; ++i) {
    if (events_[i].status == ev::kNoteOff) offs[cursor[offId[i]]++] = i;
  }
  std::copy(start.begin(), start.end() - 1, cursor.begin());

  // Each note-on, in order, is ended by the first note-off of its channel and key that follows
  // it and that no earlier note-on took; note-offs before it can never be taken any more.
  for (std::size_t i = 0; i < n; ++i) {
    CMusicEvent& e = events_[i];
    if (e.status != ev::kNoteOn) continue;
    e.status = ev::kNote;
    e.length = 0;
    const std::size_t id = offId[i];
    std::size_t& c = cursor[id];
    const std::size_t end = start[id + 1];
    while (c < end && offs[c] < i) ++c;
    if (c < end) {
      const std::int64_t len = abs[offs[c]] - abs[i];
      e.length = static_cast<std::int32_t>(
          std::clamp<std::int64_t>(len, std::numeric_limits<std::int32_t>::min(), kMaxDelta));
      ++c;
    }
  }
  for (CMusicEvent& e : events_) {
    if (e.status == ev::kNoteOff) {
      e.status = ev::kDeleted;
    } else if (e.status == ev::kNote && e.length <= 0) {
      if (e.length < 0) MdtkError(mdtk::kInternal);
      e.status = ev::kDeleted;
    }
  }
  Compact();
  form_ = kNoteForm;
  return true;
}

bool CMidiTrack::ToRawForm() {
  if (form_ != kNoteForm) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  for (CMusicEvent& e : events_) {
    if (e.status == ev::kNote && (e.length == 0 || e.velocity == 0)) e.status = ev::kDeleted;
  }
  Compact();
  const std::vector<std::int64_t> abs = AbsoluteTimes();

  // A note-off goes just before the first event at or after its note's end. Earlier note-offs
  // count as events too, so at one tick later notes' note-offs come first; a note without length
  // is ended right after its note-on.
  struct Off {
    std::int64_t time;
    std::size_t note;
    std::int32_t key;
    std::int32_t channel;
  };
  std::vector<Off> offs;
  std::vector<std::uint8_t> endsAtOnce(events_.size(), 0);
  for (std::size_t i = 0; i < events_.size(); ++i) {
    const CMusicEvent& e = events_[i];
    if (e.status != ev::kNote) continue;
    if (e.length > 0) {
      offs.push_back({abs[i] + e.length, i, e.key, e.channel});
    } else {
      endsAtOnce[i] = 1;
    }
  }
  std::sort(offs.begin(), offs.end(), [](const Off& a, const Off& b) {
    return a.time != b.time ? a.time < b.time : a.note > b.note;
  });

  std::vector<CMusicEvent> out;
  out.reserve(events_.size() * 2 + 1);
  std::int64_t last = 0;
  auto emitOff = [&](std::int32_t key, std::int32_t channel, std::int64_t time) {
    CMusicEvent off(ToDelta(time - last));
    off.status = ev::kNoteOff;
    off.key = key;
    off.channel = channel;
    off.velocity = 64;
    out.push_back(std::move(off));
    last = time;
  };
  std::size_t p = 0;
  for (std::size_t k = 0; k < events_.size(); ++k) {
    while (p < offs.size() && offs[p].time <= abs[k]) {
      emitOff(offs[p].key, offs[p].channel, offs[p].time);
      ++p;
    }
    CMusicEvent& e = events_[k];
    e.delta = ToDelta(abs[k] - last);
    last = abs[k];
    if (e.status == ev::kNote) {
      e.status = ev::kNoteOn;
      e.length = 0;
    }
    const std::int32_t key = e.key, channel = e.channel;
    out.push_back(std::move(e));
    if (endsAtOnce[k]) emitOff(key, channel, abs[k]);
  }
  for (; p < offs.size(); ++p) emitOff(offs[p].key, offs[p].channel, offs[p].time);
  events_ = std::move(out);

  // An end-of-track that note-offs passed moves back to the end.
  if (!events_.empty() && !events_.back().IsEndOfTrack()) {
    for (std::size_t q = events_.size() - 1; q-- > 0;) {
      if (events_[q].IsEndOfTrack()) {
        events_[q + 1].delta += events_[q].delta;
        CMusicEvent eot = std::move(events_[q]);
        eot.delta = 0;
        events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(q));
        events_.push_back(std::move(eot));
        break;
      }
    }
  }
  form_ = kRawForm;

  // At one tick, each note-off changes places with the nearest note-on before it.
  std::ptrdiff_t lastOn = -1;
  for (std::size_t k = 0; k < events_.size(); ++k) {
    if (k == 0 || events_[k].delta != 0) lastOn = -1;
    const std::int32_t s = events_[k].status;
    if (s == ev::kNoteOn) {
      lastOn = static_cast<std::ptrdiff_t>(k);
    } else if (s == ev::kNoteOff && lastOn >= 0) {
      SwapEvents(static_cast<std::int32_t>(lastOn), static_cast<std::int32_t>(k));
      lastOn = static_cast<std::ptrdiff_t>(k);
    }
  }
  return true;
}

bool CMidiTrack::ChangeResolution(std::int32_t oldRes, std::int32_t newRes, std::int32_t mode) {
  if (form_ != kNoteForm || oldRes <= 0 || newRes <= 0) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  if (oldRes == newRes) return false;
  // The exact remainder is carried, so the new times are the old times rescaled and rounded
  // down, without drift whatever the two resolutions are.
  std::int64_t r = 0;
  bool zeroed = false;
  for (CMusicEvent& e : events_) {
    const std::int64_t acc = r + static_cast<std::int64_t>(e.delta) * newRes;
    std::int64_t q = acc / oldRes;
    r = acc % oldRes;
    if (r < 0) {
      r += oldRes;
      --q;
    }
    e.delta = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(q, std::numeric_limits<std::int32_t>::min(), kMaxDelta));
    if (e.status == ev::kNote) {
      const std::int64_t len = static_cast<std::int64_t>(e.length) * newRes / oldRes;
      if (len == 0) {
        zeroed = true;
        if (mode == 1) {
          e.status = ev::kDeleted;
        } else {
          e.length = 1;
        }
      } else {
        e.length = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(len, std::numeric_limits<std::int32_t>::min(), kMaxDelta));
      }
    }
  }
  Compact();
  return zeroed;
}

void CMidiTrack::MergeTrack(const CMidiTrack& other, bool names) {
  std::vector<CMusicEvent> mine = std::move(events_);
  events_.clear();
  CMidiTrack theirs(other);
  {
    CMidiTrack self(Capacity(), form_);
    self.events_ = std::move(mine);
    if (names) {
      std::string a, b;
      self.GetFirstMetaText(ev::kMetaTrackName, a);
      theirs.GetFirstMetaText(ev::kMetaTrackName, b);
      std::string joined = a.empty() ? b : a + " / " + b;
      self.DeleteMeta(ev::kMetaTrackName, false);
      theirs.DeleteMeta(ev::kMetaTrackName, false);
      if (joined.size() >= static_cast<std::size_t>(kLongMeta)) joined = "long name";
      if (!joined.empty()) self.InsertMetaTextFirst(ev::kMetaTrackName, joined);
    } else if (theirs.GetChannel() != ev::kNoChannel) {
      theirs.DeleteMeta(ev::kMetaTrackName, false);
    }
    mine = std::move(self.events_);
  }
  std::vector<CMusicEvent>& other2 = theirs.events_;
  std::vector<CMusicEvent> out;
  out.reserve(mine.size() + other2.size());
  std::size_t i = 0, j = 0;
  std::int64_t ra = mine.empty() ? 0 : mine[0].delta;
  std::int64_t rb = other2.empty() ? 0 : other2[0].delta;
  while (i < mine.size() && j < other2.size()) {
    if (ra >= rb) {
      // At equal times the other track's event comes first.
      CMusicEvent e = std::move(other2[j]);
      e.delta = ToDelta(rb);
      ra -= rb;
      out.push_back(std::move(e));
      if (++j < other2.size()) rb = other2[j].delta;
    } else {
      CMusicEvent e = std::move(mine[i]);
      e.delta = ToDelta(ra);
      rb -= ra;
      out.push_back(std::move(e));
      if (++i < mine.size()) ra = mine[i].delta;
    }
  }
  if (i < mine.size()) {
    mine[i].delta = ToDelta(ra);
    for (; i < mine.size(); ++i) out.push_back(std::move(mine[i]));
  }
  if (j < other2.size()) {
    other2[j].delta = ToDelta(rb);
    for (; j < other2.size(); ++j) out.push_back(std::move(other2[j]));
  }
  events_ = std::move(out);
  FixEndOfTrack();
}

CMidiTrack CopyWindow(const CMidiTrack& source, std::int64_t from, std::int64_t to) {
  CMidiTrack out(source.Capacity(), source.Form());
  if (from < 0) {
    MdtkError(mdtk::kBadStart);
    from = 0;
  }
  const bool raw = source.Form() == CMidiTrack::kRawForm;
  std::vector<CMusicEvent>& events = out.Events();
  events.reserve(source.Events().size() + 1);
  std::array<std::array<std::uint8_t, 128>, 16> sounding{};
  std::int64_t t = 0;
  std::int64_t outTime = 0;
  bool inside = false;
  for (const CMusicEvent& e : source.Events()) {
    t += e.delta;
    if (t >= to) break;
    const bool note =
        raw ? (e.status == ev::kNoteOn || e.status == ev::kNoteOff) : e.status == ev::kNote;
    if (t < from) {
      if (note) continue;
      events.push_back(e);
      events.back().delta = 0;
      continue;
    }
    events.push_back(e);
    if (!inside) {
      events.back().delta = ToDelta(t - from);
      inside = true;
    }
    outTime += events.back().delta;
    if (raw && note && e.channel >= 0 && e.channel < 16 && e.key >= 0 && e.key < 128) {
      auto& flag = sounding[static_cast<std::size_t>(e.channel)][static_cast<std::size_t>(e.key)];
      flag = e.status == ev::kNoteOn && e.velocity > 0 ? 1 : 0;
    }
  }
  if (raw) {
    // Notes still sounding end at TO, after everything already in the window; a trailing
    // end-of-track moves to TO behind them.
    std::vector<CMusicEvent> offs;
    for (std::int32_t ch = 0; ch < 16; ++ch) {
      for (std::int32_t key = 0; key < 128; ++key) {
        if (!sounding[static_cast<std::size_t>(ch)][static_cast<std::size_t>(key)]) continue;
        CMusicEvent off;
        off.status = ev::kNoteOff;
        off.channel = ch;
        off.key = key;
        off.velocity = 0;
        offs.push_back(std::move(off));
      }
    }
    if (!offs.empty()) {
      const bool eotLast = !events.empty() && events.back().IsEndOfTrack();
      std::int64_t before = outTime;
      if (eotLast) before -= events.back().delta;
      offs.front().delta = ToDelta(to - from - before);
      if (eotLast) {
        events.back().delta = 0;
        events.insert(events.end() - 1, std::make_move_iterator(offs.begin()),
                      std::make_move_iterator(offs.end()));
      } else {
        for (CMusicEvent& off : offs) events.push_back(std::move(off));
      }
    }
  }
  if (events.empty() || !events.back().IsEndOfTrack()) events.push_back(MakeEndOfTrack(0));

  // Of the pitch bends before the first note only the last two positions may stay: the events
  // before the window all stand at its start, and only the latest bend there matters.
  std::size_t first = events.size();
  for (std::size_t k = 0; k < events.size(); ++k) {
    const std::int32_t s = events[k].status;
    if (s == ev::kNoteOn || s == ev::kNote) {
      first = k;
      break;
    }
  }
  if (first < events.size() && first > 1) {
    std::size_t lastBend = first;
    for (std::size_t k = first; k-- > 0;) {
      if (events[k].status == ev::kPitchBend) {
        lastBend = k;
        break;
      }
    }
    if (lastBend < first && lastBend >= 2) {
      for (std::size_t k = 0; k + 2 <= lastBend; ++k) {
        if (events[k].status == ev::kPitchBend) events[k].status = ev::kDeleted;
      }
    }
  }
  out.Compact();
  return out;
}

}  // namespace zentory
