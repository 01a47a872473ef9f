// The one-level undo slot. A snapshot shares the song's tracks (copy on write), so taking one
// costs a pointer per track; the first change afterwards copies only the track it touches.
#include "edit/edit_session.h"
#include "edit/edit_texts.h"

namespace zentory {

void CEditSession::TakeUndoSnapshot() {
  if (!song_) {
    undo_.reset();
    return;
  }
  // Every change raises the end tick to the song length, so the end tick kept here bounds the
  // length of the song in the slot.
  undo_.emplace(UndoSlot{*song_, channelTable_, position_.endTick});
}

void CEditSession::Undo() {
  if (!undo_) {
    Announce(edit_texts::kNothingToUndo);
    return;
  }
  preview_.Stop();
  song_ = std::make_unique<CMidi1Data>(undo_->song);
  channelTable_ = undo_->channelTable;
  RaiseEndTick(undo_->endTick);
  ClampEditTarget();
  position_.eventIndex = -1;
  CollectTimeSignatures();
  UpdateStatusFields();
  Announce(edit_texts::kUndone);
}

}  // namespace zentory
