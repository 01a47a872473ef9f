// Note entry shared by both input modes: the key routing, keyboard mode, the pending chord and
// its insertion, the Return keys and the previews of entered notes.
#include <algorithm>
#include <limits>

#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "edit/musical_reading.h"

namespace zentory {

namespace {

constexpr int kReturnKey = 0x0D;

// Shift, Ctrl and Alt arrive as key-downs of their own; they never enter or commit anything.
bool IsModifierKey(int key) {
  return key == 0x10 || key == 0x11 || key == 0x12 || (key >= 0xA0 && key <= 0xA5);
}

// The nine home-row keys of keyboard mode, white keys from G below middle C.
int KeyboardModeNote(int key) {
  switch (key) {
    case 'A':
      return 55;
    case 'S':
      return 57;
    case 'D':
      return 59;
    case 'F':
      return 60;
    case 'G':
      return 62;
    case 'H':
      return 64;
    case 'J':
      return 65;
    case 'K':
      return 67;
    case 'L':
      return 69;
    default:
      return -1;
  }
}

std::int32_t ToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

int CEditSession::GateOf(int percent, int length) const {
  return ToInt32(std::int64_t{percent} * length / 100);
}

bool CEditSession::OnNoteKey(int key, int ctrl, int shift, int alt) {
  if (ctrl || alt || IsModifierKey(key)) return false;
  if (key == kReturnKey) {
    ReturnKey(shift);
    return false;
  }
  if (Settings().inputMode == 1) return OnKeyboardKey(key);
  return OnMmlKey(key, shift);
}

bool CEditSession::OnKeyboardKey(int key) {
  const int note = KeyboardModeNote(key);
  if (note < 0) {
    // Other keys are echoed as their character and go on to the key table. Only digit and
    // letter keys have a character equal to their code; the arrows, Home, Delete and the like
    // would be read as punctuation, so they say nothing of their own.
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
      Announce(std::string(1, static_cast<char>(key)));
    }
    return false;
  }
  if (!CheckNoteChannel()) return true;
  const bool entered = EnterNote(note);
  Announce(!entered           ? std::string(edit_texts::kInputMistake)
           : musicalReadings_ ? NoteName(note)
                              : std::string(1, static_cast<char>(key)));
  return true;
}

bool CEditSession::PendingNotesFit() const {
  // As the insertion places them: each note T after the one before.
  std::int64_t t = position_.tick;
  for (const PendingNote& note : entry_.pending) {
    t = std::max<std::int64_t>(t + entry_.timing, 0);
    if (t + std::max(note.gate, 1) > kLastSongTick) return false;
  }
  return true;
}

void CEditSession::ReturnKey(int shift) {
  CommitEntry();
  if (!PendingNotesFit()) {
    // Notes that would end past what a file holds are refused, not moved by the save.
    entry_.pending.clear();
    Announce(edit_texts::kInputMistake);
    return;
  }
  if (shift) {
    FlushPendingNotes();
    PreviewChordAtPosition();
    return;
  }
  int step = entry_.pending.empty() ? entry_.noteValue : entry_.lastNoteLength;
  if (entry_.rest) step = entry_.restLength;
  FlushPendingNotes();
  position_.eventIndex = -1;
  SetTick(position_.tick + step);
  UpdateStatusFields();
  Announce(PositionWording());
  PreviewChordAtPosition();
}

bool CEditSession::EnterNote(int key) {
  entry_.rest = false;  // a note typed after R starts a chord instead of the rest
  if (key < 0 || key > 127 || entry_.pending.size() >= NoteEntryState::kMaxPending) return false;
  PendingNote note;
  note.key = key;
  note.velocity = std::clamp(entry_.velocity + entry_.accent, 0, 127);
  note.timing = entry_.timing;
  note.gate = GateOf(entry_.gatePercent, entry_.noteValue);
  entry_.accent = 0;
  entry_.lastNoteLength = entry_.noteValue;
  entry_.pending.push_back(note);
  preview_.PreviewNote(key, note.velocity, CurrentChannel(), note.gate);
  return true;
}

bool CEditSession::EnterDrumNote(int key) {
  if (key < 0 || key > 127 || entry_.pending.size() >= NoteEntryState::kMaxPending) return false;
  PendingNote note;
  note.key = key;
  note.velocity = std::clamp(entry_.velocity + entry_.accent, 0, 127);
  note.timing = entry_.timing;
  note.gate = std::max(entry_.resolution, 4) / 4 / 2;
  entry_.accent = 0;
  entry_.pending.push_back(note);
  preview_.PreviewNote(key, note.velocity, CurrentChannel(), note.gate);
  return true;
}

bool CEditSession::FlushPendingNotes() {
  CommitEntry();
  entry_.rest = false;  // only Return moves by a rest
  if (entry_.pending.empty()) return false;
  if (!PendingNotesFit()) {
    entry_.pending.clear();
    Announce(edit_texts::kInputMistake);
    return true;
  }
  const int channel = CurrentChannel();
  CMidiTrack* track = nullptr;
  if (song_ && channel >= 0 && channel < 16) {
    TakeUndoSnapshot();
    track = MutableCurrentTrack();
  }
  if (track) {
    // The end tick already covers the rest of the song; only the new notes can pass it.
    std::int64_t end = 0;
    std::int64_t t = position_.tick;
    for (const PendingNote& note : entry_.pending) {
      t = std::clamp<std::int64_t>(t + entry_.timing, 0, std::numeric_limits<std::int32_t>::max());
      // A note without length or velocity would vanish from the saved file and the player.
      CMusicEvent e = MakeNoteEvent(0, channel, note.key, std::max(note.gate, 1),
                                    static_cast<std::uint32_t>(std::clamp(note.velocity, 1, 127)));
      end = std::max(end, t + e.length);
      track->InsertEventAtTime(static_cast<std::int32_t>(t), std::move(e), CMidiTrack::kAfter);
    }
    RaiseEndTick(end);
  }
  entry_.pending.clear();
  return true;
}

void CEditSession::PreviewChordAtPosition() {
  const CMidiTrack* track = CurrentTrack();
  const int channel = CurrentChannel();
  if (!track || channel < 0 || channel > 15 || !preview_.CanSound()) return;
  const std::vector<std::int32_t> keys = track->NotesStartingAt(position_.tick);
  if (keys.empty()) return;
  preview_.PreviewChord(keys, std::clamp(entry_.velocity, 0, 127), channel);
}

}  // namespace zentory
