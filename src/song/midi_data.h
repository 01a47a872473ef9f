// The song containers: CMidi1Data holds a song as tracks (the editor's song; track 0 is the
// master track), CMidi0Data a song as one track (format-0 data and the player's working copy).
//
// A song copy shares its tracks with the original (copy on write): a copy costs one pointer per
// track, and the first mutable access to a shared track through Track(i) gives this song its own
// copy of that track alone. So the undo slot can hold a copy of a million-event song per key
// press. Read through the const accessors: a mutable Track(i) on a shared track copies it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "song/midi_track.h"

namespace zentory {

// State of a song's data.
namespace song_state {
inline constexpr std::int32_t kBytes = 0;     // only bytes in the block, no tracks
inline constexpr std::int32_t kRawForm = 1;   // tracks in raw form
inline constexpr std::int32_t kNoteForm = 2;  // tracks in note form
}  // namespace song_state

class CMidi1Data : public CDataBuff {
 public:
  static constexpr std::int32_t kMaxTracks = 65;

  explicit CMidi1Data(std::int32_t capacity = kStandardCapacity) : CDataBuff(capacity) {}
  // A song of copies of TRACKS at RESOLUTION, state 2.
  CMidi1Data(std::span<const CMidiTrack* const> tracks, std::int32_t resolution,
             std::int32_t capacity = kStandardCapacity);
  CMidi1Data(const CMidi1Data& other);
  CMidi1Data& operator=(const CMidi1Data& other);
  CMidi1Data(CMidi1Data&&) noexcept = default;
  CMidi1Data& operator=(CMidi1Data&&) noexcept = default;
  virtual ~CMidi1Data() = default;

  std::int32_t resolution = 480;
  std::int32_t state = song_state::kBytes;
  std::int32_t timeSignature = 0;  // not used by the format-1 code

  std::int32_t TrackCount() const { return static_cast<std::int32_t>(tracks_.size()); }
  // The track at INDEX for changing (copied first when it is shared); null outside the list.
  CMidiTrack* Track(std::int32_t index);
  const CMidiTrack* Track(std::int32_t index) const;
  // Read access to every track.
  const std::vector<std::shared_ptr<const CMidiTrack>>& Tracks() const { return tracks_; }
  // Replaces every track.
  void SetTracks(std::vector<std::unique_ptr<CMidiTrack>> tracks);
  // True when track INDEX is this song's own (not shared with a copy).
  bool OwnsTrack(std::int32_t index) const;

  // Appends TRACK at the end; refused (M1DT 03000001, false) beyond 65 tracks.
  bool AppendTrack(std::unique_ptr<CMidiTrack> track);
  // Deletes the track at INDEX, the later ones moving down; false for an index outside the list.
  bool DeleteTrack(std::int32_t index);
  void FreeTracks() { tracks_.clear(); }
  // ChangeResolution (mode 0) on every track, then the song's resolution is NEWRES.
  void ChangeResolution(std::int32_t newRes);
  // The greatest GetLengthTicks of the tracks.
  std::int64_t SongLength() const;
  // State 2 -> 1 and 1 -> 2; refused with M1DT 03000003 from any other state.
  bool ToRawForm();
  bool ToNoteForm();

 private:
  std::vector<std::shared_ptr<const CMidiTrack>> tracks_;
};

class CMidi0Data : public CDataBuff {
 public:
  explicit CMidi0Data(std::int32_t capacity = kStandardCapacity)
      : CDataBuff(capacity), track_(capacity) {}
  // A copy of OTHER (its track deep-copied; no working copy).
  CMidi0Data(const CMidi0Data& other);
  CMidi0Data& operator=(const CMidi0Data& other);
  CMidi0Data(CMidi0Data&&) noexcept = default;
  CMidi0Data& operator=(CMidi0Data&&) noexcept = default;
  virtual ~CMidi0Data() = default;
  // A copy of OTHER cut to the tick window [FROM, TO) with CopyWindow.
  static CMidi0Data CopyWindowOf(const CMidi0Data& other, std::int64_t from, std::int64_t to);

  std::int32_t resolution = 960;
  std::int32_t state = song_state::kBytes;
  // 0 = none, else numerator * 256 + denominator; used before the track's first time signature.
  std::int32_t timeSignatureOverride = 0;
  // The player's working copy of this data.
  std::unique_ptr<CMidi0Data> workingCopy;

  CMidiTrack& Track() { return track_; }
  const CMidiTrack& Track() const { return track_; }

 private:
  CMidiTrack track_;
};

}  // namespace zentory
