// The range marks and the commands on them: copy, paste, transpose and clear.
#include <algorithm>
#include <limits>

#include "base/text_format.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "edit/track_edits.h"

namespace zentory {

void CEditSession::SetRangeStart() {
  rangeStart_ = position_.tick;
  Announce(PositionWording() + edit_texts::kRangeStartSet);
}

void CEditSession::SetRangeEnd() {
  const std::int64_t t = position_.tick;
  if (t == rangeStart_) {
    rangeEnd_ = -1;
    Announce(PositionWording() + edit_texts::kRangeEndSameAsStart);
  } else if (t < rangeStart_) {
    rangeEnd_ = rangeStart_;
    rangeStart_ = t;
    Announce(PositionWording() + edit_texts::kRangeEndBeforeStart);
  } else {
    rangeEnd_ = t;
    Announce(PositionWording() + edit_texts::kRangeEndSet);
  }
}

bool CEditSession::CheckRangeMarks() {
  if (rangeStart_ < 0) {
    Announce(edit_texts::kNoRangeStart);
    return false;
  }
  if (rangeEnd_ < 0) {
    Announce(edit_texts::kNoRangeEnd);
    return false;
  }
  return true;
}

std::string CEditSession::OrderRangeMarks() {
  if (rangeStart_ <= rangeEnd_) return "";
  std::swap(rangeStart_, rangeEnd_);
  return edit_texts::kRangeSwapped;
}

void CEditSession::CopyRange() {
  if (!CheckRangeMarks()) return;
  const CMidiTrack* track = CurrentTrack();
  if (!track) return;
  // Reversed marks would give a buffer without notes: they are put in order, as transpose does.
  const std::string swapped = OrderRangeMarks();
  copyBuffer_ = CopyWindow(*track, rangeStart_, rangeEnd_);
  Announce(swapped + texts::FormatTexts(edit_texts::kCopied, {std::to_string(position_.track),
                                                              PositionWording(rangeStart_),
                                                              PositionWording(rangeEnd_)}));
}

void CEditSession::PasteCopyBuffer() {
  const bool hasEvents =
      copyBuffer_ && std::any_of(copyBuffer_->Events().begin(), copyBuffer_->Events().end(),
                                 [](const CMusicEvent& e) { return !e.IsEndOfTrack(); });
  if (!hasEvents) {
    Announce(edit_texts::kCopyBufferEmpty);
    return;
  }
  if (!CurrentTrack()) return;
  const int channel = CurrentChannel();
  CMidiTrack paste = *copyBuffer_;
  const int from = paste.GetChannel();
  if (from != kMasterChannel) {
    // Notes and controllers need a channel to go to.
    if (channel < 0 || channel > 15) {
      Announce(edit_texts::kNoChannelTrack);
      return;
    }
    RemapChannel(paste, from, channel);
  }
  TakeUndoSnapshot();
  if (!paste.IsEmpty()) {
    CMusicEvent& first = paste.Events().front();
    first.delta = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        first.delta + position_.tick, 0, std::numeric_limits<std::int32_t>::max()));
  }
  CMidiTrack* track = MutableCurrentTrack();
  MergePaste(*track, std::move(paste));
  TidyProgramChanges(*track);
  RaiseEndTick(track->GetLengthTicks());
  if (position_.track == 0) CollectTimeSignatures();  // a pasted bar may bring its signature
  Announce(texts::FormatTexts(edit_texts::kPasted,
                              {std::to_string(position_.track), PositionWording()}));
}

void CEditSession::TransposeRange(int direction) {
  if (!CheckRangeMarks() || !CurrentTrack()) return;
  TakeUndoSnapshot();
  const std::string swapped = OrderRangeMarks();
  CMidiTrack* track = MutableCurrentTrack();
  std::int64_t t = 0;
  for (CMusicEvent& e : track->Events()) {
    t += e.delta;
    if (t >= rangeEnd_) break;
    if (t < rangeStart_ || e.status != ev::kNote || e.velocity == 0) continue;
    int key = e.key + direction;
    // Past either end of the keyboard the note comes back an octave inside it.
    while (key < 0) key += 12;
    while (key > 127) key -= 12;
    e.key = key;
  }
  const char* done = !musicalReadings_ ? edit_texts::kTransposed
                     : direction > 0   ? edit_texts::kTransposedUp
                                       : edit_texts::kTransposedDown;
  Announce(swapped + done);
}

void CEditSession::ClearRange() {
  if (!CheckRangeMarks() || !CurrentTrack()) return;
  TakeUndoSnapshot();
  const std::string swapped = OrderRangeMarks();
  CMidiTrack* track = MutableCurrentTrack();
  track->DeleteKind(rangeStart_, rangeEnd_, ev::kNote);
  Announce(swapped + edit_texts::kRangeCleared);
}

}  // namespace zentory
