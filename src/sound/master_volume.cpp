#include "sound/master_volume.h"

#include "sound/sound_errors.h"

namespace zentory {

std::optional<int> CMasterVolume::Volume(MixerLine line) const {
  return mixer_ ? mixer_->Volume(line) : std::nullopt;
}

std::optional<bool> CMasterVolume::Muted(MixerLine line) const {
  return mixer_ ? mixer_->Muted(line) : std::nullopt;
}

bool CMasterVolume::SetVolume(MixerLine line, int volume) const {
  return mixer_ && mixer_->SetVolume(line, volume);
}

bool CMasterVolume::SetMuted(MixerLine line, bool muted) const {
  return mixer_ && mixer_->SetMuted(line, muted);
}

int RaiseSilentVolumes(IMixer* mixer, const std::function<void(std::string_view)>& announce) {
  CMasterVolume volume(mixer);
  constexpr MixerLine kLines[] = {MixerLine::kMaster, MixerLine::kWave, MixerLine::kSynth};
  int changes = 0;
  auto done = [&](bool written) {
    // Only a change that really happened is announced; a missing control is no zero volume.
    if (!written) return;
    ++changes;
    if (announce) announce(kVolumeRaisedText);
  };
  for (MixerLine line : kLines) {
    if (volume.Volume(line) == 0) done(volume.SetVolume(line, kFullVolume));
  }
  for (MixerLine line : kLines) {
    if (volume.Muted(line) == true) done(volume.SetMuted(line, false));
  }
  return changes;
}

}  // namespace zentory
