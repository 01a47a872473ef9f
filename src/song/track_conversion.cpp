// Form conversions, resolution change, window copy and merge. Each works in one pass over
// absolute times (plus a sort of the note-offs in ToRawForm) and gives the event order and deltas
// that the step-by-step walks over the list would give.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

#include "song/event_list.h"
#include "song/midi_track.h"
#include "song/smf_notes.h"
#include "song/song_errors.h"

namespace zentory {

namespace {

constexpr std::int64_t kMaxDelta = std::numeric_limits<std::int32_t>::max();

using detail::ToDelta;

// Dense ids for the (channel, key) pairs a track uses, in the order they are first met, so the
// pairing's tables are as large as the keys played, not as the MIDI range.
class NoteIds {
 public:
  NoteIds() { std::memset(midi_.data(), 0xFF, sizeof midi_); }  // all ones: no id yet
  std::uint32_t Id(std::int32_t channel, std::int32_t key) {
    if (channel >= 0 && channel < 16 && key >= 0 && key < 128) {
      std::uint32_t& id = midi_[static_cast<std::size_t>(channel * 128 + key)];
      if (id == kNone) id = count_++;
      return id;
    }
    const auto packed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(channel)) << 32) |
                        static_cast<std::uint32_t>(key);
    auto [it, added] = others_.try_emplace(packed, count_);
    if (added) ++count_;
    return it->second;
  }
  std::size_t Count() const { return count_; }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  std::array<std::uint32_t, 16 * 128> midi_;
  std::unordered_map<std::uint64_t, std::uint32_t> others_;
  std::uint32_t count_ = 0;
};

}  // namespace

bool CMidiTrack::ToNoteForm() {
  if (form_ != kRawForm) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  const std::size_t n = events_.size();
  enum : std::uint8_t { kOther, kOn, kOff };
  // One pass over the events gathers everything the pairing needs into small arrays.
  std::vector<std::int64_t> abs(n);
  std::vector<std::uint32_t> id(n, 0);
  std::vector<std::uint8_t> kind(n, kOther);
  std::vector<std::uint32_t> start(1, 0);
  NoteIds ids;
  std::int64_t t = 0;
  for (std::size_t i = 0; i < n; ++i) {
    CMusicEvent& e = events_[i];
    t += e.delta;
    abs[i] = t;
    if (e.status == ev::kNoteOn && e.velocity == 0) e.status = ev::kNoteOff;
    if (e.status != ev::kNoteOn && e.status != ev::kNoteOff) continue;
    const std::uint32_t k = ids.Id(e.channel, e.key);
    id[i] = k;
    if (e.status == ev::kNoteOn) {
      kind[i] = kOn;
    } else {
      kind[i] = kOff;
      if (k + 2 > start.size()) start.resize(k + 2, 0);
      ++start[k + 1];
    }
  }
  // The note-offs of each (channel, key) in list order, as one bucketed array.
  start.resize(ids.Count() + 1, 0);
  for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
  std::vector<std::uint32_t> offs(start.back());
  std::vector<std::uint32_t> cursor(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < n; ++i) {
    if (kind[i] == kOff) offs[cursor[id[i]]++] = static_cast<std::uint32_t>(i);
  }
  std::copy(start.begin(), start.end() - 1, cursor.begin());

  // Each note-on, in order, is ended by the first note-off of its channel and key that follows
  // it and that no earlier note-on took; note-offs before it can never be taken any more. A
  // note-on left without one is kept and ended by EndOpenNotes.
  bool open = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (kind[i] != kOn) continue;
    CMusicEvent& e = events_[i];
    e.status = ev::kNote;
    e.length = kOpenNoteLength;
    std::uint32_t& c = cursor[id[i]];
    const std::uint32_t end = start[id[i] + 1];
    while (c < end && offs[c] < i) ++c;
    if (c < end) {
      e.length = static_cast<std::int32_t>(
          std::clamp<std::int64_t>(abs[offs[c]] - abs[i], kOpenNoteLength + 1, kMaxDelta));
      ++c;
    } else {
      open = true;
    }
  }
  if (open) {
    EndOpenNotes(events_, abs[n - 1]);
    MdtkError(mdtk::kNotesWithoutEnd);
  }
  // Note-offs (taken or not) and notes without length go, their deltas passing on.
  detail::CompactWhere(events_, [](const CMusicEvent& e) {
    if (e.status == ev::kNoteOff) return true;
    if (e.status != ev::kNote || e.length > 0) return false;
    if (e.length < 0) MdtkError(mdtk::kInternal);
    return true;
  });
  form_ = kNoteForm;
  return true;
}

bool CMidiTrack::ToRawForm() {
  if (form_ != kNoteForm) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  // A note-off goes just before the first event at or after its note's end. Earlier note-offs
  // count as events too, so at one tick later notes' note-offs come first; a note without length
  // is ended right after its note-on.
  struct Off {
    std::int64_t time;
    std::uint32_t note;
    std::int32_t key;
    std::int32_t channel;
  };
  std::vector<Off> offs;
  std::vector<std::int64_t> abs(events_.size());
  std::vector<std::uint8_t> endsAtOnce(events_.size(), 0);
  std::int64_t t = 0;
  detail::CompactWhere(
      events_,
      [](const CMusicEvent& e) {
        return e.status == ev::kNote && (e.length == 0 || e.velocity == 0);
      },
      [&](const CMusicEvent& e, std::size_t i) {
        t += e.delta;
        abs[i] = t;
        if (e.status != ev::kNote) return;
        if (e.length > 0) {
          offs.push_back({t + e.length, static_cast<std::uint32_t>(i), e.key, e.channel});
        } else {
          endsAtOnce[i] = 1;
        }
      });
  std::sort(offs.begin(), offs.end(), [](const Off& a, const Off& b) {
    return a.time != b.time ? a.time < b.time : a.note > b.note;
  });

  // The merged list is built in place from the back: each original event moves right by the
  // number of note-offs that come before it, so nothing unread is overwritten. Deltas are set as
  // each slot's predecessor is written.
  const std::size_t n = events_.size();
  std::size_t total = n + offs.size();
  for (std::uint8_t once : endsAtOnce) total += once;
  events_.resize(total);
  std::size_t w = total;
  std::int64_t nextTime = 0;  // time of the slot written last (the one after w)
  bool haveNext = false;
  auto place = [&](CMusicEvent&& e, std::int64_t time) {
    --w;
    if (haveNext) events_[w + 1].delta = ToDelta(nextTime - time);
    events_[w] = std::move(e);
    nextTime = time;
    haveNext = true;
  };
  auto placeOff = [&](std::int32_t key, std::int32_t channel, std::int64_t time) {
    CMusicEvent off;
    off.status = ev::kNoteOff;
    off.key = key;
    off.channel = channel;
    off.velocity = 64;
    place(std::move(off), time);
  };
  std::size_t p = offs.size();
  // Note-offs after the last event, then, going back, each event's own immediate note-off, the
  // event, and the note-offs that end after the event before it.
  const std::int64_t lastTime = n > 0 ? abs[n - 1] : std::numeric_limits<std::int64_t>::min();
  while (p > 0 && offs[p - 1].time > lastTime) {
    --p;
    placeOff(offs[p].key, offs[p].channel, offs[p].time);
  }
  for (std::size_t k = n; k-- > 0;) {
    CMusicEvent& e = events_[k];
    if (e.status == ev::kNote) {
      e.status = ev::kNoteOn;
      e.length = 0;
    }
    if (endsAtOnce[k]) placeOff(e.key, e.channel, abs[k]);
    place(std::move(e), abs[k]);  // a move onto itself leaves the event as it is
    const std::int64_t lower = k > 0 ? abs[k - 1] : std::numeric_limits<std::int64_t>::min();
    while (p > 0 && offs[p - 1].time > lower) {
      --p;
      placeOff(offs[p].key, offs[p].channel, offs[p].time);
    }
  }
  if (haveNext) events_[0].delta = ToDelta(nextTime);

  // At one tick, each note-off changes places with the nearest note-on before it, so that
  // note-offs come first.
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

  // An end-of-track that note-offs passed moves back to the end. (Moving it does not change
  // which events stand together at a tick, so the exchanges above are not affected.)
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
  // Rescaled and compacted in one pass: a deleted note's new delta passes to the next event.
  std::size_t out = 0;
  std::int64_t carry = 0;
  for (std::size_t i = 0; i < events_.size(); ++i) {
    CMusicEvent& e = events_[i];
    const std::int64_t acc = r + static_cast<std::int64_t>(e.delta) * newRes;
    std::int64_t q = acc / oldRes;
    r = acc % oldRes;
    if (r < 0) {
      r += oldRes;
      --q;
    }
    q += carry;
    carry = 0;
    bool remove = e.status == ev::kDeleted;
    if (e.status == ev::kNote) {
      const std::int64_t len = static_cast<std::int64_t>(e.length) * newRes / oldRes;
      if (len != 0) {
        e.length = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(len, std::numeric_limits<std::int32_t>::min(), kMaxDelta));
      } else {
        zeroed = true;
        remove = mode == 1;
        e.length = 1;
      }
    }
    if (remove) {
      carry = q;
      continue;
    }
    e.delta = ToDelta(q);
    if (out != i) events_[out] = std::move(e);
    ++out;
  }
  events_.resize(out);
  return zeroed;
}

namespace {

// The index of the first meta event of TYPE, or -1.
std::ptrdiff_t FindMeta(const std::vector<CMusicEvent>& events, std::uint32_t type) {
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].IsMeta(type)) return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

// Builds a list in which every end-of-track but a final one disappears (its delta passing on)
// and which always ends with one.
class EndFixingList {
 public:
  explicit EndFixingList(std::size_t expected) { out_.reserve(expected + 1); }
  // Takes E (copied or moved in place) with DELTA.
  template <class E>
  void Push(E&& e, std::int64_t delta) {
    if (pending_) {
      carry_ += pendingEnd_.delta;
      pending_ = false;
    }
    const std::int32_t d = ToDelta(delta + carry_);
    carry_ = 0;
    if (e.IsEndOfTrack()) {
      pendingEnd_ = std::forward<E>(e);
      pendingEnd_.delta = d;
      pending_ = true;
    } else {
      out_.emplace_back(std::forward<E>(e));
      out_.back().delta = d;
    }
  }
  std::vector<CMusicEvent> Finish() {
    out_.push_back(pending_ ? std::move(pendingEnd_) : MakeEndOfTrack(0));
    return std::move(out_);
  }

 private:
  std::vector<CMusicEvent> out_;
  CMusicEvent pendingEnd_;
  bool pending_ = false;
  std::int64_t carry_ = 0;
};

}  // namespace

void CMidiTrack::MergeTrack(const CMidiTrack& other, bool names) {
  std::vector<CMusicEvent> mine = std::move(events_);
  events_.clear();
  const std::vector<CMusicEvent>& theirs = other.events_;
  // The name event put first in this track's copy, and the first name event of each copy that
  // is left out; a left-out event's delta passes to the event after it.
  std::ptrdiff_t skipMine = -1, skipTheirs = -1;
  CMusicEvent joinedName;
  bool hasJoined = false;
  if (names) {
    skipMine = FindMeta(mine, ev::kMetaTrackName);
    skipTheirs = FindMeta(theirs, ev::kMetaTrackName);
    std::string a = skipMine >= 0 ? mine[static_cast<std::size_t>(skipMine)].DataText() : "";
    std::string b = skipTheirs >= 0 ? theirs[static_cast<std::size_t>(skipTheirs)].DataText() : "";
    std::string joined = a.empty() ? b : a + " / " + b;
    if (joined.size() >= static_cast<std::size_t>(kLongMeta)) joined = "long name";
    if (!joined.empty()) {
      joinedName =
          MakeMetaEvent(0, ev::kMetaTrackName,
                        {reinterpret_cast<const std::uint8_t*>(joined.data()), joined.size()});
      hasJoined = true;
    }
  } else if (other.GetChannel() != ev::kNoChannel) {
    skipTheirs = FindMeta(theirs, ev::kMetaTrackName);
  }

  // Heads of the two copies: A walks [joined name] + mine, B walks theirs, skipping the left-out
  // events. REM holds the remaining delta of each head.
  const std::size_t na = mine.size() + (hasJoined ? 1 : 0);
  const std::size_t offsetA = hasJoined ? 1 : 0;
  auto eventA = [&](std::size_t i) -> CMusicEvent& {
    return hasJoined && i == 0 ? joinedName : mine[i - offsetA];
  };
  auto skippedA = [&](std::size_t i) {
    return skipMine >= 0 && i == static_cast<std::size_t>(skipMine) + offsetA;
  };
  auto skippedB = [&](std::size_t j) {
    return skipTheirs >= 0 && j == static_cast<std::size_t>(skipTheirs);
  };
  std::size_t i = 0, j = 0;
  std::int64_t carryA = 0, carryB = 0;
  auto settleA = [&]() {
    while (i < na && skippedA(i)) carryA += eventA(i++).delta;
  };
  auto settleB = [&]() {
    while (j < theirs.size() && skippedB(j)) carryB += theirs[j++].delta;
  };
  settleA();
  settleB();
  std::int64_t ra = i < na ? eventA(i).delta + carryA : 0;
  std::int64_t rb = j < theirs.size() ? theirs[j].delta + carryB : 0;
  carryA = carryB = 0;
  EndFixingList out(mine.size() + theirs.size() + 1);
  auto nextA = [&]() {
    ++i;
    settleA();
    if (i < na) ra = eventA(i).delta + carryA;
    carryA = 0;
  };
  auto nextB = [&]() {
    ++j;
    settleB();
    if (j < theirs.size()) rb = theirs[j].delta + carryB;
    carryB = 0;
  };
  while (i < na && j < theirs.size()) {
    if (ra >= rb) {
      // At equal times the other track's event comes first.
      out.Push(theirs[j], rb);
      ra -= rb;
      nextB();
    } else {
      out.Push(std::move(eventA(i)), ra);
      rb -= ra;
      nextA();
    }
  }
  while (i < na) {
    out.Push(std::move(eventA(i)), ra);
    nextA();
  }
  while (j < theirs.size()) {
    out.Push(theirs[j], rb);
    nextB();
  }
  events_ = out.Finish();
}

CMidiTrack CopyWindow(const CMidiTrack& source, std::int64_t from, std::int64_t to) {
  CMidiTrack out(source.Capacity(), source.Form());
  if (from < 0) {
    MdtkError(mdtk::kBadStart);
    from = 0;
  }
  const bool raw = source.Form() == CMidiTrack::kRawForm;
  const std::vector<CMusicEvent>& src = source.Events();
  // Notes before the window are dropped; everything else before it stands at its start.
  auto dropped = [raw, from](const CMusicEvent& e, std::int64_t t) {
    if (t >= from) return false;
    return raw ? (e.status == ev::kNoteOn || e.status == ev::kNoteOff) : e.status == ev::kNote;
  };

  // Of the pitch bends before the first note only the last two positions may stay: the events
  // before the window all stand at its start, and only the latest bend there matters. The
  // positions are those of the copy, so they are found by a first walk up to the first note.
  std::ptrdiff_t firstNote = -1, lastBend = -1, pos = 0;
  {
    std::int64_t t = 0;
    for (const CMusicEvent& e : src) {
      t += e.delta;
      if (t >= to) break;
      if (dropped(e, t)) continue;
      if (e.status == ev::kNoteOn || e.status == ev::kNote) {
        firstNote = pos;
        break;
      }
      if (e.status == ev::kPitchBend) lastBend = pos;
      ++pos;
    }
  }
  const std::ptrdiff_t thinUpTo = firstNote > 1 && lastBend >= 0 ? lastBend - 2 : -1;

  std::vector<CMusicEvent>& events = out.Events();
  events.reserve(src.size() + 1);
  std::array<std::array<std::uint8_t, 128>, 16> sounding{};
  std::int64_t t = 0;
  std::int64_t outTime = 0;
  std::int64_t carry = 0;  // delta of a thinned bend inside the window, passed on
  bool inside = false;
  pos = 0;
  for (const CMusicEvent& e : src) {
    t += e.delta;
    if (t >= to) break;
    if (dropped(e, t)) continue;
    std::int64_t delta = 0;
    if (t >= from) {
      delta = inside ? e.delta : t - from;
      inside = true;
    }
    if (e.status == ev::kPitchBend && pos++ <= thinUpTo) {
      carry += delta;
      continue;
    }
    if (e.status != ev::kPitchBend) ++pos;
    events.push_back(e);
    events.back().delta = ToDelta(delta + carry);
    carry = 0;
    outTime += events.back().delta;
    if (raw && t >= from && (e.status == ev::kNoteOn || e.status == ev::kNoteOff) &&
        e.channel >= 0 && e.channel < 16 && e.key >= 0 && e.key < 128) {
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
  return out;
}

}  // namespace zentory
