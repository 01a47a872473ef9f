// The system mixer's master, wave and synth volumes.
#pragma once

#include <optional>

namespace zentory {

enum class MixerLine { kMaster, kWave, kSynth };

class IMixer {
 public:
  virtual ~IMixer() = default;
  // Volume 0..65535 of LINE, or nothing when the line does not exist.
  virtual std::optional<int> Volume(MixerLine line) = 0;
  virtual bool SetVolume(MixerLine line, int volume) = 0;
  virtual std::optional<bool> Muted(MixerLine line) = 0;
  virtual bool SetMuted(MixerLine line, bool muted) = 0;
};

}  // namespace zentory
