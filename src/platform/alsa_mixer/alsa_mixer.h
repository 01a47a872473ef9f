// The system mixer through ALSA's simple mixer interface: the Master, PCM and Synth controls of
// the default card. A control a card does not have reads as missing, never as zero.
#pragma once

#include <memory>
#include <string>

#include "base/ports/mixer.h"

namespace zentory {

class CAlsaMixer : public IMixer {
 public:
  CAlsaMixer();
  ~CAlsaMixer() override;
  CAlsaMixer(const CAlsaMixer&) = delete;
  CAlsaMixer& operator=(const CAlsaMixer&) = delete;

  // Opens the default card's mixer; false (with Error()) on a machine without one.
  bool Open(const std::string& card = "default");
  const std::string& Error() const { return error_; }

  std::optional<int> Volume(MixerLine line) override;
  bool SetVolume(MixerLine line, int volume) override;
  std::optional<bool> Muted(MixerLine line) override;
  bool SetMuted(MixerLine line, bool muted) override;

 private:
  struct Handle;
  std::unique_ptr<Handle> h_;
  std::string error_;
};

}  // namespace zentory
