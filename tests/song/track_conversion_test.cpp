// The conversions are checked against slow references that walk the event list step by step,
// exactly as the conversions are defined, on many random small tracks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "song/midi_track.h"
#include "song/song_errors.h"

namespace zentory {
namespace {

using Events = std::vector<CMusicEvent>;

CMusicEvent Make(std::int32_t status, std::int32_t delta, std::int32_t channel, std::int32_t key,
                 std::uint32_t velocity = 100) {
  CMusicEvent e(delta);
  e.status = status;
  e.channel = channel;
  e.key = key;
  e.velocity = velocity;
  return e;
}

std::string Dump(const Events& events) {
  std::string s;
  for (const CMusicEvent& e : events) {
    s += std::to_string(e.status) + ":" + std::to_string(e.type) + " d" + std::to_string(e.delta) +
         " c" + std::to_string(e.channel) + " k" + std::to_string(e.key) + " l" +
         std::to_string(e.length) + " v" + std::to_string(e.velocity) + " x" +
         std::to_string(e.value) + "\n";
  }
  return s;
}

void Erase(Events& ev, std::size_t i) {
  if (i + 1 < ev.size()) ev[i + 1].delta += ev[i].delta;
  ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(i));
}

void SlowCompact(Events& ev) {
  for (std::size_t i = 0; i < ev.size();) {
    if (ev[i].status == 0) {
      Erase(ev, i);
    } else {
      ++i;
    }
  }
}

void SlowSwap(Events& ev, std::size_t i, std::size_t j) {
  std::swap(ev[i], ev[j]);
  std::swap(ev[i].delta, ev[j].delta);
}

void SlowToNoteForm(Events& ev) {
  std::int32_t end = 0;
  for (const auto& e : ev) end += e.delta;
  for (auto& e : ev) {
    if (e.status == ev::kNoteOn && e.velocity == 0) e.status = ev::kNoteOff;
  }
  for (std::size_t i = 0; i < ev.size(); ++i) {
    if (ev[i].status != ev::kNoteOn) continue;
    ev[i].status = ev::kNote;
    ev[i].length = -1;
    std::int32_t sum = 0;
    for (std::size_t j = i + 1; j < ev.size(); ++j) {
      sum += ev[j].delta;
      if (ev[j].status == ev::kNoteOff && ev[j].channel == ev[i].channel &&
          ev[j].key == ev[i].key) {
        ev[i].length = sum;
        Erase(ev, j);
        break;
      }
    }
  }
  // A note-on without a note-off ends at the next note-on of its key, or at the track's end (the
  // time of its last event as read).
  std::int32_t now = 0;
  for (std::size_t i = 0; i < ev.size(); ++i) {
    now += ev[i].delta;
    if (ev[i].status != ev::kNote || ev[i].length >= 0) continue;
    std::int32_t sum = 0;
    for (std::size_t j = i + 1; j < ev.size() && ev[i].length < 0; ++j) {
      sum += ev[j].delta;
      if (ev[j].status == ev::kNote && ev[j].channel == ev[i].channel && ev[j].key == ev[i].key) {
        ev[i].length = sum;
      }
    }
    if (ev[i].length < 0) ev[i].length = end - now;
  }
  for (std::size_t i = 0; i < ev.size();) {
    if (ev[i].status == ev::kNoteOff) {
      Erase(ev, i);
    } else {
      ++i;
    }
  }
  for (auto& e : ev) {
    if (e.status == ev::kNote && e.length == 0) e.status = 0;
  }
  SlowCompact(ev);
}

void SlowToRawForm(Events& ev) {
  for (auto& e : ev) {
    if (e.status == ev::kNote && (e.length == 0 || e.velocity == 0)) e.status = 0;
  }
  SlowCompact(ev);
  for (std::size_t i = 0; i < ev.size(); ++i) {
    if (ev[i].status != ev::kNote) continue;
    ev[i].status = ev::kNoteOn;
    const std::int32_t len = std::max(ev[i].length, 0);
    ev[i].length = 0;
    CMusicEvent off = Make(ev::kNoteOff, 0, ev[i].channel, ev[i].key, 64);
    std::int32_t before = 0;  // time from i to the event before b
    std::size_t b = i + 1;
    for (; b < ev.size(); ++b) {
      if (before + ev[b].delta >= len) break;
      before += ev[b].delta;
    }
    off.delta = len - before;
    if (b < ev.size()) ev[b].delta = before + ev[b].delta - len;
    ev.insert(ev.begin() + static_cast<std::ptrdiff_t>(b), off);
  }
  if (!ev.empty() && !ev.back().IsEndOfTrack()) {
    for (std::size_t q = ev.size() - 1; q-- > 0;) {
      if (ev[q].IsEndOfTrack()) {
        ev[q + 1].delta += ev[q].delta;
        CMusicEvent eot = ev[q];
        eot.delta = 0;
        ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(q));
        ev.push_back(eot);
        break;
      }
    }
  }
  for (std::size_t k = 0; k < ev.size(); ++k) {
    if (ev[k].status != ev::kNoteOff) continue;
    for (std::size_t q = k; q-- > 0 && ev[q + 1].delta == 0;) {
      if (ev[q].status == ev::kNoteOn) {
        SlowSwap(ev, q, k);
        break;
      }
    }
  }
}

void SlowChangeResolution(Events& ev, std::int32_t oldRes, std::int32_t newRes) {
  std::int64_t r = 0;
  for (auto& e : ev) {
    const std::int64_t d = e.delta;
    const std::int64_t n = newRes * (r + d) / oldRes;
    r = r + d - oldRes * n / newRes;
    e.delta = static_cast<std::int32_t>(n);
    if (e.status == ev::kNote) {
      e.length = static_cast<std::int32_t>(static_cast<std::int64_t>(e.length) * newRes / oldRes);
      if (e.length == 0) e.length = 1;
    }
  }
}

// Merge as a stable sort by time in which the other track wins ties.
Events SlowMerge(const Events& mine, const Events& other) {
  struct Item {
    std::int64_t time;
    int source;
    std::size_t index;
    const CMusicEvent* e;
  };
  std::vector<Item> items;
  std::int64_t t = 0;
  for (std::size_t i = 0; i < other.size(); ++i)
    items.push_back({t += other[i].delta, 0, i, &other[i]});
  t = 0;
  for (std::size_t i = 0; i < mine.size(); ++i)
    items.push_back({t += mine[i].delta, 1, i, &mine[i]});
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if (a.time != b.time) return a.time < b.time;
    return a.source != b.source ? a.source < b.source : a.index < b.index;
  });
  Events out;
  std::int64_t last = 0;
  for (const Item& it : items) {
    out.push_back(*it.e);
    out.back().delta = static_cast<std::int32_t>(it.time - last);
    last = it.time;
  }
  for (std::size_t i = 0; i + 1 < out.size();) {
    if (out[i].IsEndOfTrack()) {
      Erase(out, i);
    } else {
      ++i;
    }
  }
  if (out.empty() || !out.back().IsEndOfTrack()) out.push_back(MakeEndOfTrack(0));
  return out;
}

CMidiTrack TrackOf(Events ev, std::int32_t form) {
  CMidiTrack t(CDataBuff::kStandardCapacity, form);
  t.Events() = std::move(ev);
  return t;
}

// The window copy as a list edit: mark, cut, end the sounding notes, thin the bends, compact.
Events SlowCopyWindow(Events ev, bool raw, std::int64_t from, std::int64_t to) {
  std::int64_t t = 0;
  bool inside = false;
  std::vector<std::pair<std::int32_t, std::int32_t>> sounding;
  for (auto& e : ev) {
    t += e.delta;
    const bool note =
        raw ? e.status == ev::kNoteOn || e.status == ev::kNoteOff : e.status == ev::kNote;
    if (t >= to || t < from) {
      e.delta = 0;
      if (t >= to || note) e.status = 0;
      continue;
    }
    if (!inside) e.delta = static_cast<std::int32_t>(t - from);
    inside = true;
    if (!raw || !note) continue;
    std::erase(sounding, std::pair{e.channel, e.key});
    if (e.status == ev::kNoteOn && e.velocity > 0) sounding.push_back({e.channel, e.key});
  }
  SlowCompact(ev);
  std::sort(sounding.begin(), sounding.end());
  CMidiTrack track = TrackOf(ev, CMidiTrack::kRawForm);
  for (auto [channel, key] : sounding) {
    CMusicEvent off = Make(ev::kNoteOff, 0, channel, key, 0);
    if (!track.IsEmpty() && track.Events().back().IsEndOfTrack()) {
      track.InsertEventAtTime(static_cast<std::int32_t>(to - from), off, CMidiTrack::kAfter);
    } else {
      off.delta = static_cast<std::int32_t>(to - from - track.GetLengthTicks());
      track.AddEvent(off);
    }
  }
  ev = track.Events();
  if (ev.empty() || !ev.back().IsEndOfTrack()) ev.push_back(MakeEndOfTrack(0));
  std::size_t first = 0;
  while (first < ev.size() && ev[first].status != ev::kNoteOn && ev[first].status != ev::kNote) {
    ++first;
  }
  std::ptrdiff_t bend = -1;
  for (std::size_t k = 0; k < first && first < ev.size(); ++k) {
    if (ev[k].status == ev::kPitchBend) bend = static_cast<std::ptrdiff_t>(k);
  }
  for (std::ptrdiff_t k = 0; first > 1 && k + 2 <= bend; ++k) {
    if (ev[static_cast<std::size_t>(k)].status == ev::kPitchBend)
      ev[static_cast<std::size_t>(k)].status = 0;
  }
  SlowCompact(ev);
  return ev;
}

// Random tracks with few channels and keys, so that overlaps, same-key repeats, zero lengths,
// orphan note-offs and events after an end-of-track all occur.
Events RandomRaw(std::mt19937& rng) {
  Events ev;
  std::uniform_int_distribution<int> kind(0, 9), delta(0, 3), small(0, 1), key(60, 62);
  const int n = std::uniform_int_distribution<int>(0, 24)(rng);
  for (int i = 0; i < n; ++i) {
    const int k = kind(rng);
    const int d = delta(rng) == 0 ? 0 : delta(rng);
    if (k < 4) {
      ev.push_back(
          Make(ev::kNoteOn, d, small(rng), key(rng), small(rng) ? 90 : (kind(rng) ? 80 : 0)));
    } else if (k < 7) {
      ev.push_back(Make(ev::kNoteOff, d, small(rng), key(rng), 64));
    } else if (k == 7) {
      ev.push_back(Make(ev::kPitchBend, d, small(rng), 0));
    } else if (k == 8) {
      ev.push_back(Make(ev::kControlChange, d, small(rng), 0));
    } else {
      ev.push_back(MakeEndOfTrack(d));
    }
  }
  if (small(rng)) ev.push_back(MakeEndOfTrack(delta(rng)));
  return ev;
}

Events RandomNotes(std::mt19937& rng) {
  Events ev;
  std::uniform_int_distribution<int> kind(0, 9), delta(0, 3), small(0, 1), len(-1, 8), key(60, 62);
  const int n = std::uniform_int_distribution<int>(0, 20)(rng);
  for (int i = 0; i < n; ++i) {
    const int k = kind(rng);
    const int d = delta(rng) == 0 ? 0 : delta(rng);
    if (k < 6) {
      ev.push_back(MakeNoteEvent(d, small(rng), key(rng), len(rng), kind(rng) == 0 ? 0 : 100));
    } else if (k == 6) {
      ev.push_back(Make(ev::kPitchBend, d, small(rng), 0));
    } else if (k == 7 || k == 8) {
      ev.push_back(Make(ev::kControlChange, d, small(rng), 0));
    } else {
      ev.push_back(MakeEndOfTrack(d));
    }
  }
  if (small(rng)) ev.push_back(MakeEndOfTrack(delta(rng)));
  return ev;
}

TEST(TrackConversion, MatchesStepByStepReferenceOnRandomTracks) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  std::mt19937 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    const Events raw = RandomRaw(rng);
    CMidiTrack fast = TrackOf(raw, CMidiTrack::kRawForm);
    ASSERT_TRUE(fast.ToNoteForm());
    Events slow = raw;
    SlowToNoteForm(slow);
    ASSERT_EQ(Dump(fast.Events()), Dump(slow)) << "to note form, input:\n" << Dump(raw);

    const Events notes = RandomNotes(rng);
    CMidiTrack back = TrackOf(notes, CMidiTrack::kNoteForm);
    ASSERT_TRUE(back.ToRawForm());
    slow = notes;
    SlowToRawForm(slow);
    ASSERT_EQ(Dump(back.Events()), Dump(slow)) << "to raw form, input:\n" << Dump(notes);

    // The length of a note-form track is that of its raw form.
    CMidiTrack again = TrackOf(notes, CMidiTrack::kNoteForm);
    ASSERT_EQ(again.GetLengthTicks(), back.GetLengthTicks()) << Dump(notes);
    ASSERT_TRUE(back.ToNoteForm());

    for (auto [from, to] : {std::pair{480, 96}, std::pair{96, 480}, std::pair{960, 480}}) {
      CMidiTrack scaled = TrackOf(notes, CMidiTrack::kNoteForm);
      scaled.ChangeResolution(from, to, 0);
      slow = notes;
      SlowChangeResolution(slow, from, to);
      ASSERT_EQ(Dump(scaled.Events()), Dump(slow)) << from << "->" << to << "\n" << Dump(notes);
    }

    const std::int64_t from = std::uniform_int_distribution<int>(0, 20)(rng);
    const std::int64_t to = from + std::uniform_int_distribution<int>(0, 30)(rng);
    ASSERT_EQ(Dump(CopyWindow(TrackOf(notes, CMidiTrack::kNoteForm), from, to).Events()),
              Dump(SlowCopyWindow(notes, false, from, to)))
        << from << ".." << to << "\n"
        << Dump(notes);
    ASSERT_EQ(Dump(CopyWindow(TrackOf(raw, CMidiTrack::kRawForm), from, to).Events()),
              Dump(SlowCopyWindow(raw, true, from, to)))
        << from << ".." << to << "\n"
        << Dump(raw);

    const Events other = RandomNotes(rng);
    CMidiTrack merged = TrackOf(notes, CMidiTrack::kNoteForm);
    merged.MergeTrack(TrackOf(other, CMidiTrack::kNoteForm), false);
    ASSERT_EQ(Dump(merged.Events()), Dump(SlowMerge(notes, other)));
  }
  for (const std::string& b : box.Boxes()) EXPECT_EQ(b.substr(0, 12), "MDTK0D00002B");
}

TEST(TrackConversion, NoteFormEdgeCases) {
  CMidiTrack t(CDataBuff::kStandardCapacity, CMidiTrack::kRawForm);
  t.AddEvent(Make(ev::kNoteOn, 0, 0, 60));
  t.AddEvent(Make(ev::kNoteOn, 10, 0, 60));
  t.AddEvent(Make(ev::kNoteOn, 10, 0, 60, 0));  // a note-off
  t.AddEvent(Make(ev::kNoteOff, 5, 0, 60));
  t.AddEvent(Make(ev::kNoteOff, 5, 0, 61));  // no note-on: gone, delta moves on
  t.AddEvent(Make(ev::kNoteOn, 0, 0, 62));   // no note-off: ends with the track
  t.AddEvent(MakeEndOfTrack(3));
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  RearmMdtkWarnings();
  ASSERT_TRUE(t.ToNoteForm());
  EXPECT_EQ(Dump(t.Events()),
            "16:0 d0 c0 k60 l20 v100 x0\n16:0 d10 c0 k60 l15 v100 x0\n"
            "16:0 d20 c0 k62 l3 v100 x0\n255:47 d3 c255 k0 l0 v0 x0\n");
  EXPECT_EQ(box.Boxes().size(), 1u);  // notes without an end were found
  box.Clear();
  EXPECT_FALSE(t.ToNoteForm());  // already in note form: unchanged
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0], "MDTK0D000001 Midiのトラックデータで内部エラーが発生しました。");
  EXPECT_EQ(t.EventCount(), 4);
}

TEST(TrackConversion, ResolutionChangeCarriesTheExactRemainder) {
  CMidiTrack t(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  for (int i = 0; i < 10000; ++i) t.AddEvent(MakeNoteEvent(1, 0, 60, 1, 100));
  t.AppendEndOfTrack(0);
  CMidiTrack up = t;
  EXPECT_FALSE(up.ChangeResolution(384, 480, 0));
  EXPECT_EQ(up.TimeOf(up.EventCount() - 1), 12500);
  CMidiTrack down = t;
  EXPECT_TRUE(down.ChangeResolution(960, 480, 0));  // 1-tick notes stay 1 tick
  EXPECT_EQ(down.TimeOf(down.EventCount() - 1), 5000);
  EXPECT_EQ(down.Event(0).length, 1);
  CMidiTrack drop = t;
  EXPECT_TRUE(drop.ChangeResolution(960, 480, 1));
  EXPECT_EQ(drop.EventCount(), 1);
  EXPECT_EQ(drop.Event(0).delta, 5000);
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  EXPECT_FALSE(drop.ChangeResolution(0, 480, 0));
  EXPECT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(drop.Event(0).delta, 5000);
}

TEST(TrackConversion, CopyWindowPaths) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  CMidiTrack notes(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  notes.AddEvent(Make(ev::kPitchBend, 0, 0, 0));
  notes.AddEvent(Make(ev::kPitchBend, 5, 0, 1));
  notes.AddEvent(MakeNoteEvent(0, 0, 60, 100, 100));
  notes.AddEvent(Make(ev::kPitchBend, 5, 0, 2));
  notes.AddEvent(Make(ev::kPitchBend, 5, 0, 3));
  notes.AddEvent(Make(ev::kControlChange, 5, 0, 4));
  notes.AddEvent(MakeNoteEvent(10, 0, 62, 100, 100));
  notes.AddEvent(MakeNoteEvent(50, 0, 64, 100, 100));
  notes.AddEvent(MakeEndOfTrack(100));
  CMidiTrack w = CopyWindow(notes, 20, 80);
  // Before the window: bends 0,1,2,3 and the controller at the start, the note dropped; of the
  // bends only the last two positions before the first note stay.
  EXPECT_EQ(Dump(w.Events()),
            "224:0 d0 c0 k2 l0 v100 x0\n224:0 d0 c0 k3 l0 v100 x0\n176:0 d0 c0 k4 l0 v100 x0\n"
            "16:0 d10 c0 k62 l100 v100 x0\n255:47 d0 c255 k0 l0 v0 x0\n");
  EXPECT_EQ(notes.EventCount(), 9);  // the source is unchanged

  CMidiTrack raw = notes;
  ASSERT_TRUE(raw.ToRawForm());
  CMidiTrack rw = CopyWindow(raw, 20, 80);
  // The note at 30 is still sounding at 80 and ends there, before the end-of-track.
  const auto& e = rw.Events();
  ASSERT_GE(e.size(), 3u);
  EXPECT_TRUE(e.back().IsEndOfTrack());
  EXPECT_EQ(e[e.size() - 2].status, ev::kNoteOff);
  EXPECT_EQ(e[e.size() - 2].key, 62);
  EXPECT_EQ(e[e.size() - 2].velocity, 0u);
  EXPECT_EQ(rw.TimeOf(rw.EventCount() - 2), 60);
  // Past the end of the source: the end-of-track stays where it was.
  CMidiTrack all = CopyWindow(raw, 0, 100000);
  EXPECT_EQ(all.GetLengthTicks(), raw.GetLengthTicks());
  EXPECT_TRUE(box.Boxes().empty());
  CopyWindow(raw, -5, 10);
  EXPECT_EQ(box.Boxes().size(), 1u);
}

TEST(TrackConversion, MergeJoinsNames) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  CMidiTrack a(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  a.AppendMeta(0, ev::kMetaTrackName, std::vector<std::uint8_t>{'A'});
  a.AddEvent(MakeNoteEvent(5, 0, 60, 10, 100));
  a.AppendEndOfTrack(10);
  CMidiTrack b(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  b.AppendMeta(0, ev::kMetaTrackName, std::vector<std::uint8_t>{'B'});
  b.AddEvent(MakeNoteEvent(5, 1, 62, 10, 100));
  b.AppendEndOfTrack(20);
  CMidiTrack m = a;
  m.MergeTrack(b, true);
  std::string name;
  ASSERT_TRUE(m.GetFirstMetaText(ev::kMetaTrackName, name));
  EXPECT_EQ(name, "A / B");
  EXPECT_TRUE(m.Event(0).IsMeta(ev::kMetaTrackName));
  EXPECT_EQ(m.Event(1).key, 62);  // the other track first at one tick
  EXPECT_EQ(m.Event(2).key, 60);
  EXPECT_EQ(m.EventCount(), 4);
  EXPECT_EQ(m.GetLengthTicks(), 25);

  CMidiTrack longName(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  longName.AppendMeta(0, ev::kMetaTrackName, std::vector<std::uint8_t>(124, 'x'));
  longName.MergeTrack(b, true);
  ASSERT_TRUE(longName.GetFirstMetaText(ev::kMetaTrackName, name));
  EXPECT_EQ(name, "long name");

  CMidiTrack unnamed = a;
  unnamed.MergeTrack(b, false);  // the other track has a channel: its name goes
  EXPECT_TRUE(unnamed.GetFirstMetaText(ev::kMetaTrackName, name));
  EXPECT_EQ(name, "A");
  EXPECT_EQ(unnamed.EventCount(), 4);
  EXPECT_TRUE(box.Boxes().empty());
}

}  // namespace
}  // namespace zentory
