// MML mode: note letters, parameter letters with their digits, and the punctuation keys of the
// Japanese layout, each answered by a short word.
#include <algorithm>
#include <limits>

#include "base/text_format.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "song/song_errors.h"
#include "sound/midi_out_device.h"

namespace zentory {

namespace {

constexpr int kEscape = 0x1B;
constexpr int kDelete = 0x2E;
constexpr int kCaret = 0xDE;  // ^ (tie)
constexpr int kComma = 0xBC;
constexpr int kPeriod = 0xBE;     // with Shift: > (octave up)
constexpr int kSemicolon = 0xBB;  // with Shift: + (semitone up)
constexpr int kMinusKey = 0xBD;
constexpr int kAtKey = 0xC0;  // @ (program)
constexpr int kMaxOctave = 10;
constexpr std::int64_t kNoteNumberPauseMs = 200;

using T = EntryTarget;

// The value of the digits typed: decimal with an optional leading '-', up to the first other
// character, 0 when empty; saturated to the int range.
int ParseDigits(const std::string& digits) {
  std::size_t i = 0;
  const bool negative = !digits.empty() && digits[0] == '-';
  if (negative) i = 1;
  std::int64_t v = 0;
  for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
    v = std::min<std::int64_t>(v * 10 + (digits[i] - '0'), std::int64_t{1} << 32);
  }
  if (negative) v = -v;
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

int Saturate(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// Pitch class of a note letter, or -1.
int PitchClass(int key) {
  switch (key) {
    case 'C':
      return 0;
    case 'D':
      return 2;
    case 'E':
      return 4;
    case 'F':
      return 5;
    case 'G':
      return 7;
    case 'A':
      return 9;
    case 'B':
      return 11;
    default:
      return -1;
  }
}

// The General MIDI drum of a letter on the rhythm channel (Shift: the second sound), or -1.
int DrumNote(int key, int shift) {
  struct Row {
    char letter;
    int plain;
    int shifted;
  };
  static constexpr Row kDrums[] = {
      {'A', 68, 67}, {'B', 35, 36}, {'C', 49, 57}, {'D', 52, 55}, {'F', 41, 43},
      {'G', 73, 74}, {'H', 42, 46}, {'K', 71, 72}, {'M', 47, 48}, {'P', 44, 44},
      {'R', 51, 59}, {'S', 38, 40}, {'T', 45, 50}, {'W', 77, 76}, {'X', 37, 39},
  };
  for (const Row& row : kDrums) {
    if (row.letter == key) return shift ? row.shifted : row.plain;
  }
  return -1;
}

}  // namespace

int CEditSession::NoteValueTicks(int value, bool dotted) const {
  static constexpr int kValues[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};
  int len = entry_.noteValue;
  if (std::find(std::begin(kValues), std::end(kValues), value) != std::end(kValues)) {
    len = entry_.resolution * 4 / value;
  }
  return dotted ? Saturate(std::int64_t{len} * 3 / 2) : len;
}

void CEditSession::ChooseTarget(EntryTarget target, const char* word) {
  entry_.target = target;
  entry_.digits.clear();
  Announce(word);
}

// A timing or gate that takes a note past the last tick a file can hold (the longest delta, at
// the editor's 480 ticks per quarter note) would be lost when the song is read again.
bool CEditSession::DigitFits(char c) const {
  constexpr std::int64_t kLastTick = kLastSongTick;
  const std::int64_t v = ParseDigits(entry_.digits + c);
  // The insertion places every pending note at the position plus the T in force.
  auto fits = [&](std::int64_t timing, std::int64_t gate) {
    return std::max<std::int64_t>(position_.tick + timing, 0) + std::max<std::int64_t>(gate, 1) <=
           kLastTick;
  };
  int longest = 1;
  for (const PendingNote& note : entry_.pending) longest = std::max(longest, note.gate);
  const int next = entry_.pending.empty() ? GateOf(entry_.gatePercent, entry_.noteValue) : longest;
  switch (entry_.target) {
    case T::kTiming:
      return v <= kLastTick && v >= -kLastTick && fits(v, next);
    case T::kNoteTiming:
      return v <= kLastTick && v >= -kLastTick && fits(entry_.timing, longest);
    case T::kNoteGate:
      return fits(entry_.timing, std::int64_t{v} * entry_.lastNoteLength / 100);
    default:
      return true;
  }
}

void CEditSession::AppendDigit(char c, std::string_view spoken) {
  if (entry_.digits.size() >= NoteEntryState::kMaxDigits || !DigitFits(c)) {
    Announce(edit_texts::kInputMistake);
    return;
  }
  entry_.digits.push_back(c);
  Announce(spoken);
}

bool CEditSession::OnMmlKey(int key, int shift) {
  NoteEntryState& s = entry_;
  const bool pending = !s.pending.empty();

  if (key == kEscape) {
    s.target = T::kNone;
    s.digits.clear();
    s.pending.clear();
    s.rest = false;
    Announce(edit_texts::kInputCleared);
    return true;
  }
  if (key == kCaret) {
    if (s.target == T::kNoteValue || s.target == T::kTie) {
      const bool tieOfTie = s.target == T::kTie;
      CommitEntry();
      ChooseTarget(T::kTie, tieOfTie ? edit_texts::kTieOfTie : edit_texts::kTie);
    } else {
      Announce(edit_texts::kInputMistake);
    }
    return true;
  }
  if (key == kComma) {
    // A rest has no gate, velocity or timing of its own.
    if (s.rest && (s.target == T::kNoteValue || s.target == T::kTie)) {
      Announce(edit_texts::kInputMistake);
      return true;
    }
    switch (s.target) {
      case T::kNoteValue:
      case T::kNoteNumber:
      case T::kTie:
        CommitEntry();
        ChooseTarget(T::kNoteGate, edit_texts::kNoteGate);
        break;
      case T::kNoteGate:
        CommitEntry();
        ChooseTarget(T::kNoteVelocity, edit_texts::kNoteVelocity);
        break;
      case T::kNoteVelocity:
        CommitEntry();
        ChooseTarget(T::kNoteTiming, edit_texts::kNoteTiming);
        break;
      default:
        Announce(edit_texts::kInputMistake);
        break;
    }
    return true;
  }
  if (key >= '0' && key <= '9') {
    if (shift && key == '1') {
      // The digits typed so far belong to the value before the accent.
      CommitEntry();
      ChooseTarget(T::kAccent, edit_texts::kAccent);
    } else {
      const char c = static_cast<char>(key);
      AppendDigit(c, std::string(1, c));
    }
    return true;
  }
  if (key == kPeriod && !shift) {
    if (s.target == T::kDefaultLength || s.target == T::kNoteValue || s.target == T::kTie) {
      CommitEntry(true);
      Announce(edit_texts::kDot);
    } else {
      Announce(edit_texts::kInputMistake);
    }
    return true;
  }
  if ((key == kSemicolon && shift) || key == kMinusKey) {
    const bool up = key == kSemicolon;
    if (s.target == T::kNoteValue && pending) {
      PendingNote& note = s.pending.back();
      note.key = up ? std::min(note.key + 1, 127) : std::max(note.key - 1, 0);
      preview_.PreviewNote(note.key, note.velocity, CurrentChannel(), note.gate);
      Announce(up ? edit_texts::kSemitoneUp : edit_texts::kSemitoneDown);
    } else if (!up &&
               (s.target == T::kTiming || s.target == T::kNoteTiming || s.target == T::kAccent)) {
      AppendDigit('-', edit_texts::kMinus);
    } else {
      Announce(edit_texts::kInputMistake);
    }
    return true;
  }

  CommitEntry();
  const bool drumChannel = CurrentChannel() == kDrumChannel;
  if (drumChannel) {
    const int drum = DrumNote(key, shift);
    if (drum >= 0) {
      s.target = T::kNoteValue;
      s.digits.clear();
      Announce(EnterDrumNote(drum) ? std::string(1, static_cast<char>(key))
                                   : std::string(edit_texts::kInputMistake));
      return true;
    }
  } else if (const int pc = PitchClass(key); pc >= 0) {
    if (!CheckNoteChannel()) return true;
    const std::int64_t note = pc + std::int64_t{s.octave} * 12;
    const std::string letter(1, static_cast<char>(key));
    if (note < 0 || note > 127) {
      // Nothing is entered, so the digits that follow have no note to set.
      s.rest = false;
      Announce(letter + edit_texts::kOutOfRange);
      return true;
    }
    s.target = T::kNoteValue;
    s.digits.clear();
    Announce(EnterNote(static_cast<int>(note)) ? letter : std::string(edit_texts::kInputMistake));
    return true;
  } else if (key == 'R') {
    StartRest();
    return true;
  }
  switch (key) {
    case 'N':
      if (CheckNoteChannel()) ChooseTarget(T::kNoteNumber, edit_texts::kNoteNumber);
      return true;
    case 'O':
      ChooseTarget(T::kOctave, edit_texts::kOctave);
      return true;
    case 'T':
      if (drumChannel) return false;
      ChooseTarget(T::kTiming, edit_texts::kTiming);
      return true;
    case 'L':
      ChooseTarget(T::kDefaultLength, edit_texts::kNoteValue);
      return true;
    case 'Q':
      ChooseTarget(T::kGate, edit_texts::kGateTime);
      return true;
    case 'V':
      ChooseTarget(T::kVelocity, edit_texts::kVelocity);
      return true;
    case kAtKey:
      if (CheckNoteChannel()) ChooseTarget(T::kProgram, edit_texts::kProgram);
      return true;
    case kPeriod:  // with Shift: >
      if (s.octave < kMaxOctave) ++s.octave;
      Announce(edit_texts::kOctaveUp);
      return true;
    case kDelete:
      DeleteAtPosition();
      return true;
    default:
      return false;
  }
}

void CEditSession::CommitEntry(bool dotted) {
  NoteEntryState& s = entry_;
  const EntryTarget target = s.target;
  const bool empty = s.digits.empty();
  const int v = ParseDigits(s.digits);
  s.target = T::kNone;
  s.digits.clear();
  const bool pending = !s.pending.empty();

  switch (target) {
    case T::kNone:
      return;
    case T::kNoteValue:
      if (CommitRestValue(target, v, empty, dotted)) return;
      // No digits and no dot: the note keeps the value it was entered with (a drum's short
      // gate included).
      if (pending && (!empty || dotted)) {
        const int len = NoteValueTicks(v, dotted);
        s.lastNoteLength = len;
        s.pending.back().gate = GateOf(s.gatePercent, len);
      }
      return;
    // O, @, Q and N without digits keep the value they had (as V and L do).
    case T::kOctave:
      if (empty) return;
      s.octave = v;
      return;
    case T::kDefaultLength: {
      const int len = NoteValueTicks(v, dotted);
      s.noteValue = len != 0 ? len : s.resolution;
      return;
    }
    case T::kProgram:
      if (empty) return;
      CommitProgram(v);
      return;
    case T::kGate:
      if (empty) return;
      s.gatePercent = std::clamp(v, 5, 300);
      return;
    case T::kNoteNumber:
      if (empty || CurrentChannel() < 0 || CurrentChannel() > 15) return;
      if (s.pending.size() >= NoteEntryState::kMaxPending) {
        Announce(edit_texts::kInputMistake);
        return;
      }
      EnterNote(v);
      if (services_.clock) services_.clock->SleepMs(kNoteNumberPauseMs);
      return;
    case T::kVelocity:
      // No digits keep V; a velocity of 0 would make notes that vanish when saved.
      if (empty) return;
      s.velocity = std::clamp(v, 1, 127);
      if (s.velocity < 16 && services_.post) services_.post->Post(kMsgVelocityTooLow);
      return;
    case T::kTiming:
      s.timing = v;
      return;
    case T::kNoteGate:
      if (empty || !pending) return;
      s.pending.back().gate = std::max(GateOf(std::max(v, 1), s.lastNoteLength), 1);
      return;
    case T::kNoteVelocity:
      if (empty || !pending) return;
      s.pending.back().velocity = std::max(v, 1);
      return;
    case T::kNoteTiming:
      if (pending) s.pending.back().timing = v;
      return;
    case T::kTie:
      if (CommitRestValue(target, v, empty, dotted)) return;
      if (pending) {
        // The step after a tied note is the whole tied value, so the next note starts when it
        // ends.
        const int len = NoteValueTicks(v, dotted);
        s.lastNoteLength = Saturate(std::int64_t{s.lastNoteLength} + len);
        PendingNote& note = s.pending.back();
        note.gate = Saturate(std::int64_t{note.gate} + GateOf(s.gatePercent, len));
      }
      return;
    case T::kAccent:
      s.accent = v;
      return;
  }
}

void CEditSession::CommitProgram(int value) {
  const int program = value >= 0 && value <= 127 ? value : 0;
  const int channel = CurrentChannel();
  if (!song_ || channel < 0 || channel > 15) return;
  const CMidiTrack* track = CurrentTrack();
  const bool hasProgram =
      track && std::any_of(track->Events().begin(), track->Events().end(),
                           [](const CMusicEvent& e) { return e.status == ev::kProgramChange; });
  if (hasProgram) {
    TakeUndoSnapshot();
    MutableCurrentTrack()->SetFirstProgram(program);
  }
  if (CMidiOutDevice* out = OpenOutput()) out->SendProgramChange(program, channel);
}

void CEditSession::DeleteAtPosition() {
  entry_.target = T::kNone;
  entry_.digits.clear();
  entry_.pending.clear();
  entry_.rest = false;
  const CMidiTrack* track = CurrentTrack();
  if (!track) {
    Announce(edit_texts::kDeleted);
    return;
  }
  const int index = CheckedEventIndex();
  if (index < 0) {
    if (track->Form() != CMidiTrack::kNoteForm) {
      MdtkError(mdtk::kInternal);
      return;
    }
    std::vector<std::size_t> notes;
    std::int64_t t = 0;
    const std::vector<CMusicEvent>& events = track->Events();
    for (std::size_t i = 0; i < events.size(); ++i) {
      t += events[i].delta;
      if (t > position_.tick) break;
      if (t == position_.tick && events[i].status == ev::kNote) notes.push_back(i);
    }
    if (!notes.empty()) {
      TakeUndoSnapshot();
      CMidiTrack* mutableTrack = MutableCurrentTrack();
      for (std::size_t i : notes) mutableTrack->Events()[i].status = ev::kDeleted;
      mutableTrack->Compact();
    }
    Announce(edit_texts::kDeleted);
    return;
  }
  if (index == track->EventCount() - 1) {
    Announce(edit_texts::kCannotDeleteLast);
    return;
  }
  TakeUndoSnapshot();
  // The index is cleared with the change: the event now at it has not been announced.
  MutableCurrentTrack()->DeleteEvent(index);
  if (position_.track == 0) CollectTimeSignatures();  // it may have been a time signature
  Announce(edit_texts::kDeleted);
}

void CEditSession::ReadOutMmlValues() {
  const NoteEntryState& s = entry_;
  Announce(texts::FormatNumbers(edit_texts::kMmlValues,
                                {s.octave, s.velocity, s.noteValue, s.gatePercent, s.timing}));
}

}  // namespace zentory
