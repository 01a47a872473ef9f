#include "song/midi_data.h"

#include <algorithm>

#include "song/song_errors.h"

namespace zentory {

CMidi1Data::CMidi1Data(std::span<const CMidiTrack* const> tracks, std::int32_t resolution_,
                       std::int32_t capacity)
    : CDataBuff(capacity), resolution(resolution_), state(song_state::kNoteForm) {
  tracks_.reserve(tracks.size());
  for (const CMidiTrack* t : tracks) {
    if (t != nullptr) tracks_.push_back(std::make_shared<CMidiTrack>(*t));
  }
}

CMidi1Data::CMidi1Data(const CMidi1Data& other)
    : CDataBuff(other),
      resolution(other.resolution),
      state(other.state),
      timeSignature(other.timeSignature),
      tracks_(other.tracks_) {}

CMidi1Data& CMidi1Data::operator=(const CMidi1Data& other) {
  if (this != &other) {
    CMidi1Data copy(other);
    *this = std::move(copy);
  }
  return *this;
}

CMidiTrack* CMidi1Data::Track(std::int32_t index) {
  if (index < 0 || index >= TrackCount()) return nullptr;
  std::shared_ptr<const CMidiTrack>& slot = tracks_[static_cast<std::size_t>(index)];
  if (slot.use_count() > 1) {
    // The copy is made for a change, most often an insertion or two.
    slot = std::make_shared<CMidiTrack>(*slot, slot->Events().size() / 16 + 64);
  }
  // Every track is made as a mutable CMidiTrack and is this song's alone now.
  return const_cast<CMidiTrack*>(slot.get());
}

bool CMidi1Data::OwnsTrack(std::int32_t index) const {
  return index >= 0 && index < TrackCount() &&
         tracks_[static_cast<std::size_t>(index)].use_count() == 1;
}

void CMidi1Data::SetTracks(std::vector<std::unique_ptr<CMidiTrack>> tracks) {
  tracks_.clear();
  tracks_.reserve(tracks.size());
  for (auto& t : tracks) {
    if (t) tracks_.push_back(std::shared_ptr<CMidiTrack>(std::move(t)));
  }
}

const CMidiTrack* CMidi1Data::Track(std::int32_t index) const {
  if (index < 0 || index >= TrackCount()) return nullptr;
  return tracks_[static_cast<std::size_t>(index)].get();
}

bool CMidi1Data::AppendTrack(std::unique_ptr<CMidiTrack> track) {
  if (!track) return false;
  if (TrackCount() >= kMaxTracks) {
    M1dtError(m1dt::kTrackCount);
    return false;
  }
  tracks_.push_back(std::shared_ptr<CMidiTrack>(std::move(track)));
  return true;
}

bool CMidi1Data::DeleteTrack(std::int32_t index) {
  if (index < 0 || index >= TrackCount()) return false;
  tracks_.erase(tracks_.begin() + index);
  return true;
}

void CMidi1Data::ChangeResolution(std::int32_t newRes) {
  if (newRes <= 0 || resolution <= 0) {
    MdtkError(mdtk::kInternal);
    return;
  }
  for (std::int32_t i = 0; i < TrackCount(); ++i) Track(i)->ChangeResolution(resolution, newRes, 0);
  resolution = newRes;
}

std::int64_t CMidi1Data::SongLength() const {
  std::int64_t longest = 0;
  for (const auto& t : tracks_) longest = std::max(longest, t->GetLengthTicks());
  return longest;
}

bool CMidi1Data::ToRawForm() {
  if (state != song_state::kNoteForm) {
    M1dtError(m1dt::kWrongState);
    return false;
  }
  for (std::int32_t i = 0; i < TrackCount(); ++i) Track(i)->ToRawForm();
  state = song_state::kRawForm;
  return true;
}

bool CMidi1Data::ToNoteForm() {
  if (state != song_state::kRawForm) {
    M1dtError(m1dt::kWrongState);
    return false;
  }
  for (std::int32_t i = 0; i < TrackCount(); ++i) Track(i)->ToNoteForm();
  state = song_state::kNoteForm;
  return true;
}

CMidi0Data::CMidi0Data(const CMidi0Data& other)
    : CDataBuff(other),
      resolution(other.resolution),
      state(other.state),
      timeSignatureOverride(other.timeSignatureOverride),
      track_(other.track_) {}

CMidi0Data& CMidi0Data::operator=(const CMidi0Data& other) {
  if (this != &other) {
    CMidi0Data copy(other);
    *this = std::move(copy);
  }
  return *this;
}

CMidi0Data CMidi0Data::CopyWindowOf(const CMidi0Data& other, std::int64_t from, std::int64_t to) {
  CMidi0Data copy(other.Capacity());
  copy.resolution = other.resolution;
  copy.state = other.state;
  copy.timeSignatureOverride = other.timeSignatureOverride;
  copy.track_ = CopyWindow(other.track_, from, to);
  return copy;
}

}  // namespace zentory
