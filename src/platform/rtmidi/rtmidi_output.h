// MIDI output ports of the ALSA sequencer through RtMidi: ids 0..n-1 are the ports in the order
// the sequencer lists them. A machine without a sequencer (no /dev/snd/seq) simply has no ports.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/ports/midi_port.h"

namespace zentory {

class CRtMidiOutput : public IMidiOutput {
 public:
  CRtMidiOutput();
  int DeviceCount() override;
  std::vector<std::string> DeviceNames() override;
  // Opens port ID (0..n-1); -1 is port 0. Nothing when it cannot be opened.
  std::unique_ptr<IMidiPort> Open(int id) override;
  // Why the sequencer could not be reached; empty when it could.
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::string> names_;
  std::string error_;
};

}  // namespace zentory
