// Rests in MML mode: R takes a note value like a note letter does, and Return moves the edit
// position on by it without entering anything.
#include <algorithm>
#include <limits>

#include "edit/edit_session.h"
#include "edit/edit_texts.h"

namespace zentory {

void CEditSession::StartRest() {
  NoteEntryState& s = entry_;
  if (!s.pending.empty()) {
    // "C4R4": the chord sounds first and the rest follows it.
    const int step = s.lastNoteLength;
    FlushPendingNotes();
    position_.eventIndex = -1;
    SetTick(position_.tick + step);
    UpdateStatusFields();
  }
  s.rest = true;
  s.restLength = s.noteValue;
  s.target = EntryTarget::kNoteValue;
  s.digits.clear();
  Announce(edit_texts::kRest);
}

bool CEditSession::CommitRestValue(EntryTarget target, int value, bool empty, bool dotted) {
  NoteEntryState& s = entry_;
  if (!s.rest) return false;
  if (target == EntryTarget::kNoteValue) {
    if (!empty || dotted) s.restLength = NoteValueTicks(value, dotted);
  } else {
    const std::int64_t sum = std::int64_t{s.restLength} + NoteValueTicks(value, dotted);
    s.restLength = static_cast<int>(std::min<std::int64_t>(sum, std::numeric_limits<int>::max()));
  }
  return true;
}

}  // namespace zentory
