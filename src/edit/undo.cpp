// The one-level undo slot, and the history of song states beside it. A snapshot shares the
// song's tracks (copy on write), so taking one costs a pointer per track; the first change
// afterwards copies only the track it touches.
#include <algorithm>

#include "edit/edit_session.h"
#include "edit/edit_texts.h"

namespace zentory {

SongState CEditSession::CurrentState() const {
  return SongState{*song_, channelTable_, position_.endTick, stateId_};
}

void CEditSession::TakeUndoSnapshot() {
  if (!song_) {
    undo_.reset();
    return;
  }
  // Every change raises the end tick to the song length, so the end tick kept here bounds the
  // length of the song in the slot.
  undo_.emplace(UndoSlot{*song_, channelTable_, position_.endTick, stateId_});
  history_.Record(CurrentState(),
                  changeName_.empty() ? std::string(edit_texts::kNoteEntryChange) : changeName_);
  stateId_ = ++lastStateId_;
  services_.feedback->SongChanged();
}

void CEditSession::Undo() {
  if (!undo_) {
    Announce(edit_texts::kNothingToUndo);
    return;
  }
  preview_.Stop();
  // The history stands one step behind the newest change, where the slot's song is.
  if (song_) {
    if (history_.ForwardSteps() == 0) {
      history_.Back(CurrentState());
    } else {
      while (history_.ForwardSteps() > 1) {
        auto step = history_.Forward(CurrentState());
        if (!step) break;
        song_ = std::make_unique<CMidi1Data>(std::move(step->state.song));
        channelTable_ = step->state.channels;
        position_.endTick = step->state.endTick;
        stateId_ = step->state.id;
      }
    }
  }
  song_ = std::make_unique<CMidi1Data>(undo_->song);
  channelTable_ = undo_->channelTable;
  stateId_ = undo_->stateId;
  RaiseEndTick(undo_->endTick);
  ClampEditTarget();
  position_.eventIndex = -1;
  CollectTimeSignatures();
  UpdateStatusFields();
  services_.feedback->SongChanged();
  Announce(edit_texts::kUndone);
}

void CEditSession::ApplyState(SongState state) {
  preview_.Stop();
  entry_.pending.clear();
  song_ = std::make_unique<CMidi1Data>(std::move(state.song));
  channelTable_ = state.channels;
  position_.endTick = state.endTick;
  stateId_ = state.id;
  ClampEditTarget();
  position_.eventIndex = -1;
  CollectTimeSignatures();
  UpdateStatusFields();
  services_.feedback->SongChanged();
}

void CEditSession::UndoFurther() {
  std::optional<CUndoHistory::Step> step;
  if (song_) step = history_.Back(CurrentState());
  if (!step) {
    Announce(edit_texts::kNothingToUndo);
    return;
  }
  ApplyState(std::move(step->state));
  Announce(std::string(edit_texts::kUndone) + step->name);
}

void CEditSession::Redo() {
  std::optional<CUndoHistory::Step> step;
  if (song_) step = history_.Forward(CurrentState());
  if (!step) {
    Announce(edit_texts::kNothingToRedo);
    return;
  }
  ApplyState(std::move(step->state));
  Announce(std::string(edit_texts::kRedone) + step->name);
}

}  // namespace zentory
