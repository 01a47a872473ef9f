#include "edit/undo_history.h"

#include <utility>

namespace zentory {

std::size_t TrackBytes(const CMidiTrack& track) {
  std::size_t bytes = sizeof(CMidiTrack) + track.Events().capacity() * sizeof(CMusicEvent);
  for (const CMusicEvent& e : track.Events()) {
    // Blocks of up to 16 bytes sit inside the event.
    if (e.BlockSize() > 16) bytes += static_cast<std::size_t>(e.BlockSize());
  }
  return bytes;
}

void CUndoHistory::Count(const SongState& state, int sign) {
  for (const auto& track : state.song.Tracks()) {
    const CMidiTrack* key = track.get();
    if (sign > 0) {
      TrackUse& use = tracks_[key];
      // A state's tracks never change while it is kept (the song copies a shared track before
      // changing it), so the size measured once holds.
      if (use.states++ == 0) {
        use.bytes = TrackBytes(*track);
        totalBytes_ += use.bytes;
      }
    } else {
      auto it = tracks_.find(key);
      if (it == tracks_.end()) continue;
      if (--it->second.states == 0) {
        totalBytes_ -= it->second.bytes;
        tracks_.erase(it);
      }
    }
  }
}

std::size_t CUndoHistory::HeldBytes(const CMidi1Data& song) const {
  std::size_t shared = 0;
  std::unordered_map<const CMidiTrack*, bool> seen;
  for (const auto& track : song.Tracks()) {
    auto it = tracks_.find(track.get());
    if (it != tracks_.end() && seen.emplace(track.get(), true).second) shared += it->second.bytes;
  }
  return totalBytes_ - shared;
}

void CUndoHistory::Trim(const CMidi1Data& song) {
  while (back_.size() > 1 &&
         (back_.size() + forward_.size() > maxSteps_ || HeldBytes(song) > maxBytes_)) {
    Count(back_.front().state, -1);
    back_.pop_front();
  }
}

void CUndoHistory::Record(SongState before, std::string name) {
  for (const Entry& e : forward_) Count(e.state, -1);
  forward_.clear();
  Count(before, +1);
  back_.push_back({std::move(before), std::move(name)});
  Trim(back_.back().state.song);
}

std::optional<CUndoHistory::Step> CUndoHistory::Back(SongState now) {
  if (back_.empty()) return std::nullopt;
  Entry entry = std::move(back_.back());
  back_.pop_back();
  Count(now, +1);
  forward_.push_back({std::move(now), entry.name});
  Count(entry.state, -1);
  return Step{std::move(entry.state), std::move(entry.name)};
}

std::optional<CUndoHistory::Step> CUndoHistory::Forward(SongState now) {
  if (forward_.empty()) return std::nullopt;
  Entry entry = std::move(forward_.back());
  forward_.pop_back();
  Count(now, +1);
  back_.push_back({std::move(now), entry.name});
  Count(entry.state, -1);
  return Step{std::move(entry.state), std::move(entry.name)};
}

void CUndoHistory::Clear() {
  back_.clear();
  forward_.clear();
  tracks_.clear();
  totalBytes_ = 0;
}

}  // namespace zentory
