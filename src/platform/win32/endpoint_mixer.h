// The master volume of the Windows output: the endpoint volume of the default render device
// (Core Audio). Only the master line exists; the wave and synth lines of older mixers do not.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <endpointvolume.h>

#include <memory>
#include <optional>
#include <string>

#include "base/ports/mixer.h"

namespace zentory {

class CEndpointMixer : public IMixer {
 public:
  // Takes a reference to ENDPOINT.
  explicit CEndpointMixer(IAudioEndpointVolume* endpoint);
  ~CEndpointMixer() override;
  CEndpointMixer(const CEndpointMixer&) = delete;
  CEndpointMixer& operator=(const CEndpointMixer&) = delete;

  // The default render device's volume; null (PROBLEM set) without an audio device. COM must be
  // initialised on the calling thread.
  static std::unique_ptr<CEndpointMixer> Create(std::string& problem);

  std::optional<int> Volume(MixerLine line) override;
  bool SetVolume(MixerLine line, int volume) override;
  std::optional<bool> Muted(MixerLine line) override;
  bool SetMuted(MixerLine line, bool muted) override;

 private:
  IAudioEndpointVolume* endpoint_;
};

}  // namespace zentory
