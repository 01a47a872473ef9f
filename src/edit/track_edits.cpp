#include "edit/track_edits.h"

#include <algorithm>
#include <array>
#include <vector>

#include "song/midi_values.h"

namespace zentory {

namespace {

constexpr int kBankMsb = 0;
constexpr int kBankLsb = 32;
constexpr int kPortBOffset = 16;

bool IsChannel(int channel) { return channel >= 0 && channel < 16; }

bool IsBank(const CMusicEvent& e, int controller) {
  return e.status == ev::kControlChange && e.type == static_cast<std::uint32_t>(controller);
}

void SetProgramValue(CMusicEvent& e, int value) {
  e.value = value;
  if (e.DataLength() >= 2) e.SetByte(1, static_cast<std::uint8_t>(value & 0x7F));
}

// Pass one: what repeats the value already in force goes. True when something went.
bool DropRepeats(std::vector<CMusicEvent>& events) {
  std::array<int, 16> program, msb, lsb;
  program.fill(-1);
  msb.fill(-1);
  lsb.fill(-1);
  bool removed = false;
  for (CMusicEvent& e : events) {
    if (!IsChannel(e.channel)) continue;
    const auto c = static_cast<std::size_t>(e.channel);
    if (e.status == ev::kProgramChange) {
      if (e.value == program[c]) {
        e.status = ev::kDeleted;
        removed = true;
      }
      program[c] = e.value;
    } else if (IsBank(e, kBankMsb)) {
      if (e.value == msb[c]) {
        e.status = ev::kDeleted;
        removed = true;
      } else {
        msb[c] = e.value;
        program[c] = -1;
        lsb[c] = -1;
      }
    } else if (IsBank(e, kBankLsb)) {
      if (e.value == lsb[c]) {
        e.status = ev::kDeleted;
        removed = true;
      } else {
        lsb[c] = e.value;
        program[c] = -1;
      }
    }
  }
  return removed;
}

// Pass two: of several settings of one kind between two notes of a channel, the first takes the
// last one's value and the others go. True when something went.
bool FoldBetweenNotes(std::vector<CMusicEvent>& events) {
  struct Run {
    CMusicEvent* first = nullptr;
    int last = 0;
  };
  // Per channel: program, bank MSB, bank LSB.
  std::array<std::array<Run, 3>, 16> runs{};
  bool removed = false;
  auto close = [](std::array<Run, 3>& kinds) {
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      Run& run = kinds[k];
      if (run.first) {
        if (k == 0) {
          SetProgramValue(*run.first, run.last);
        } else {
          run.first->value = run.last;
          if (run.first->DataLength() >= 3) {
            run.first->SetByte(2, static_cast<std::uint8_t>(run.last & 0x7F));
          }
        }
      }
      run = Run{};
    }
  };
  for (CMusicEvent& e : events) {
    if (!IsChannel(e.channel)) continue;
    auto& kinds = runs[static_cast<std::size_t>(e.channel)];
    int kind = -1;
    if (e.status == ev::kNote) {
      close(kinds);
      continue;
    }
    if (e.status == ev::kProgramChange) kind = 0;
    if (IsBank(e, kBankMsb)) kind = 1;
    if (IsBank(e, kBankLsb)) kind = 2;
    if (kind < 0) continue;
    Run& run = kinds[static_cast<std::size_t>(kind)];
    if (run.first) {
      e.status = ev::kDeleted;
      removed = true;
    } else {
      run.first = &e;
    }
    run.last = e.value;
  }
  for (auto& kinds : runs) close(kinds);
  return removed;
}

}  // namespace

void RemapChannel(CMidiTrack& track, int from, int to) {
  if (!IsChannel(from) || !IsChannel(to)) return;
  int portOffset = 0;
  for (CMusicEvent& e : track.Events()) {
    if (e.IsMeta(ev::kMetaInstrumentName) && IsPortBName(e.DataText())) portOffset = kPortBOffset;
    if (e.status == ev::kSysEx &&
        (e.type == sysex::kGsRhythmPart || e.type == sysex::kGsEqSwitch)) {
      if (e.channel == from && e.DataLength() >= 11) {
        e.channel = to;
        GsPartBlock(to, e.BytePointer(7), e.type == sysex::kGsRhythmPart ? 0x10 : 0x40);
        GsChecksum(e.MutableBlock().first(static_cast<std::size_t>(e.DataLength())));
      }
      continue;
    }
    if (IsChannel(e.channel) && portOffset + e.channel == from) e.channel = to;
  }
}

void TidyProgramChanges(CMidiTrack& track) {
  std::vector<CMusicEvent>& events = track.Events();
  // The last note of each channel; channels without notes keep their settings as they are.
  std::array<std::ptrdiff_t, 16> lastNote;
  lastNote.fill(-1);
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].status == ev::kNote && IsChannel(events[i].channel)) {
      lastNote[static_cast<std::size_t>(events[i].channel)] = static_cast<std::ptrdiff_t>(i);
    }
  }
  if (std::all_of(lastNote.begin(), lastNote.end(), [](std::ptrdiff_t i) { return i < 0; })) {
    return;
  }
  for (;;) {
    const bool repeats = DropRepeats(events);
    const bool folded = FoldBetweenNotes(events);
    if (!repeats && !folded) break;
    track.Compact();
  }
  bool trailing = false;
  for (std::size_t i = 0; i < events.size(); ++i) {
    CMusicEvent& e = events[i];
    if (!IsChannel(e.channel)) continue;
    const std::ptrdiff_t last = lastNote[static_cast<std::size_t>(e.channel)];
    if (last < 0 || static_cast<std::ptrdiff_t>(i) < last) continue;
    if (e.status == ev::kProgramChange || IsBank(e, kBankMsb) || IsBank(e, kBankLsb)) {
      e.status = ev::kDeleted;
      trailing = true;
    }
  }
  if (trailing) track.Compact();
}

namespace {

struct NoteSpan {
  std::int64_t start;
  std::int64_t end;
  std::size_t index;  // in its own track
  bool pasted;
  bool involved = false;
  bool dropped = false;
};

// The notes of EVENTS (absolute times TIMES) whose bucket (channel * 128 + key) is marked.
void CollectNotes(const std::vector<CMusicEvent>& events, const std::vector<std::int64_t>& times,
                  const std::vector<char>& wanted, bool pasted,
                  std::vector<std::vector<NoteSpan>>& buckets) {
  for (std::size_t i = 0; i < events.size(); ++i) {
    const CMusicEvent& e = events[i];
    if (e.status != ev::kNote || !IsChannel(e.channel) || e.key < 0 || e.key > 127) continue;
    const auto b = static_cast<std::size_t>(e.channel * 128 + e.key);
    if (!wanted[b]) continue;
    buckets[b].push_back({times[i], times[i] + std::max(e.length, 0), i, pasted});
  }
}

// Plays the notes of one key through in time order: a note starting while another sounds is
// dropped; the note that sounds keeps its own length.
void ResolveBucket(std::vector<NoteSpan>& existing, std::vector<NoteSpan>& pasted) {
  std::int64_t longest = 0;
  for (const NoteSpan& n : existing) longest = std::max(longest, n.end - n.start);
  for (const NoteSpan& p : pasted) {
    // Existing notes are in time order: only those starting within LONGEST before P can reach it.
    auto from = std::lower_bound(existing.begin(), existing.end(), p.start - longest,
                                 [](const NoteSpan& n, std::int64_t t) { return n.start < t; });
    for (auto it = from; it != existing.end() && it->start < p.end; ++it) {
      if (it->end > p.start && it->end > it->start && p.end > p.start) it->involved = true;
    }
  }
  struct Step {
    std::int64_t time;
    int order;  // ends first, then pasted starts, then existing starts
    NoteSpan* note;
  };
  std::vector<Step> steps;
  for (NoteSpan& p : pasted) {
    steps.push_back({p.start, 1, &p});
    steps.push_back({p.end, 0, &p});
  }
  for (NoteSpan& e : existing) {
    if (!e.involved) continue;
    steps.push_back({e.start, 2, &e});
    steps.push_back({e.end, 0, &e});
  }
  std::stable_sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) {
    return a.time != b.time ? a.time < b.time : a.order < b.order;
  });
  NoteSpan* sounding = nullptr;
  for (const Step& s : steps) {
    if (s.order != 0) {
      if (sounding) {
        s.note->dropped = true;
      } else {
        sounding = s.note;
      }
    } else if (s.note == sounding) {
      sounding = nullptr;
    }
  }
}

void Apply(std::vector<CMusicEvent>& events, const NoteSpan& n, bool& dropped) {
  if (!n.dropped) return;
  events[n.index].status = ev::kDeleted;
  dropped = true;
}

}  // namespace

void MergePaste(CMidiTrack& track, CMidiTrack paste) {
  const std::vector<std::int64_t> trackTimes = track.AbsoluteTimes();
  const std::vector<std::int64_t> pasteTimes = paste.AbsoluteTimes();
  std::vector<char> wanted(16 * 128, 0);
  for (const CMusicEvent& e : paste.Events()) {
    if (e.status == ev::kNote && IsChannel(e.channel) && e.key >= 0 && e.key < 128) {
      wanted[static_cast<std::size_t>(e.channel * 128 + e.key)] = 1;
    }
  }
  std::vector<std::vector<NoteSpan>> existing(wanted.size()), pasted(wanted.size());
  CollectNotes(track.Events(), trackTimes, wanted, false, existing);
  CollectNotes(paste.Events(), pasteTimes, wanted, true, pasted);

  bool droppedMine = false, droppedTheirs = false;
  for (std::size_t b = 0; b < wanted.size(); ++b) {
    if (!wanted[b]) continue;
    ResolveBucket(existing[b], pasted[b]);
    for (const NoteSpan& n : existing[b]) {
      if (n.involved) Apply(track.Events(), n, droppedMine);
    }
    for (const NoteSpan& n : pasted[b]) Apply(paste.Events(), n, droppedTheirs);
  }
  if (droppedMine) track.Compact();
  if (droppedTheirs) paste.Compact();
  track.MergeTrack(paste, false);
}

}  // namespace zentory
