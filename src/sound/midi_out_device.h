// One open MIDI output: the senders for the few message kinds the editor and the player produce,
// over a port of the MIDI output interface. The editor keeps one open while the user edits (note
// previews, auditions); a play opens its own.
#pragma once

#include <cstdint>
#include <memory>

#include "base/ports/midi_port.h"

namespace zentory {

class CMidiOutDevice {
 public:
  // Opens port ID of OUTPUT (-1 = the output the user chose); a null OUTPUT opens nothing.
  CMidiOutDevice(IMidiOutput* output, int id = -1);
  // Wraps a port that is already open (null: not open).
  explicit CMidiOutDevice(std::unique_ptr<IMidiPort> port);
  ~CMidiOutDevice();
  CMidiOutDevice(const CMidiOutDevice&) = delete;
  CMidiOutDevice& operator=(const CMidiOutDevice&) = delete;

  bool IsOpen() const { return port_ != nullptr; }
  // Resets and closes the port; the senders then send nothing.
  void CloseDevice();

  // Each argument is taken as one byte; the channel (0..15) is added to the status byte.
  bool SendNoteOn(int key, int velocity, int channel);
  bool SendNoteOff(int key, int channel);
  bool SendProgramChange(int program, int channel);
  bool SendControlChange(int value, int controller, int channel);
  bool SendShort(int data2, int data1, int status);

 private:
  std::unique_ptr<IMidiPort> port_;
};

}  // namespace zentory
