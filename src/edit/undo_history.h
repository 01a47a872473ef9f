// The history of song states behind the undo and redo commands. A state is a copy of the song
// that shares its tracks with the song and with the other states (copy on write), so a step costs
// about the tracks its change copied. The history is bounded by a count of steps and by the bytes
// of track data that only it keeps alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>

#include "song/channel_values.h"
#include "song/midi_data.h"

namespace zentory {

struct SongState {
  CMidi1Data song;
  ChannelTable channels{};
  std::int64_t endTick = 0;
  std::uint64_t id = 0;  // equal ids: the same song
};

class CUndoHistory {
 public:
  static constexpr std::size_t kMaxSteps = 200;
  static constexpr std::size_t kMaxBytes = std::size_t{512} << 20;

  explicit CUndoHistory(std::size_t maxSteps = kMaxSteps, std::size_t maxBytes = kMaxBytes)
      : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

  // A change named NAME is about to be made to the song, which stands in BEFORE. The steps that
  // could be redone go; the oldest steps go while the bounds are passed (the newest one stays).
  void Record(SongState before, std::string name);
  // One step back: NOW is the song as it stands (kept for redo). The state to restore and the
  // name of the change it undoes; nothing at the oldest step.
  struct Step {
    SongState state;
    std::string name;
  };
  std::optional<Step> Back(SongState now);
  // One step forward, the reverse of Back; nothing at the newest step.
  std::optional<Step> Forward(SongState now);
  void Clear();

  std::size_t BackSteps() const { return back_.size(); }
  std::size_t ForwardSteps() const { return forward_.size(); }
  // Bytes of track data the history keeps that SONG does not share.
  std::size_t HeldBytes(const CMidi1Data& song) const;

 private:
  struct Entry {
    SongState state;
    std::string name;
  };
  void Count(const SongState& state, int sign);
  void Trim(const CMidi1Data& song);

  std::size_t maxSteps_;
  std::size_t maxBytes_;
  std::deque<Entry> back_;     // oldest first; back_.back() is the state before the last change
  std::deque<Entry> forward_;  // forward_.back() is the next state to redo
  struct TrackUse {
    std::size_t states = 0;
    std::size_t bytes = 0;
  };
  std::unordered_map<const CMidiTrack*, TrackUse> tracks_;
  std::size_t totalBytes_ = 0;
};

// The bytes a track's events take (their array and any data too long to sit in an event).
std::size_t TrackBytes(const CMidiTrack& track);

}  // namespace zentory
