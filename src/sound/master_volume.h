// The start-up rescue of a silent system: a master, wave or synth volume at zero is raised to
// full scale and a mute that is on is cleared, through the system mixer, and the user is told.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "base/ports/mixer.h"

namespace zentory {

inline constexpr int kFullVolume = 65535;

// The reads and writes of the three lines' volumes and mutes. A line or control the mixer does
// not have reads as nothing and is never written.
class CMasterVolume {
 public:
  explicit CMasterVolume(IMixer* mixer) : mixer_(mixer) {}
  std::optional<int> Volume(MixerLine line) const;
  std::optional<bool> Muted(MixerLine line) const;
  bool SetVolume(MixerLine line, int volume) const;
  bool SetMuted(MixerLine line, bool muted) const;

 private:
  IMixer* mixer_;
};

// Master, wave and synth volumes at 0 are raised, then their mutes cleared, in that order. Each
// change that the mixer accepted is announced with kVolumeRaisedText. Returns the number of
// changes made. A null MIXER changes and says nothing.
int RaiseSilentVolumes(IMixer* mixer, const std::function<void(std::string_view)>& announce);

}  // namespace zentory
