// One open MIDI output: the senders for the few message kinds the editor and the player produce,
// over a port of the MIDI output interface. The editor keeps one open while the user edits (note
// previews, auditions); a play opens its own.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "base/ports/midi_port.h"
#include "sound/sound_errors.h"

namespace zentory {

class CMidiOutDevice {
 public:
  // Opens port ID of OUTPUT (-1 = the output the user chose); a null OUTPUT opens nothing and
  // says nothing. An output without any port reports MDCT 07000001 once per process; a port that
  // does not open reports it every time, and no other port is tried in its place. Reports of
  // later sends go through ROUTE.
  CMidiOutDevice(IMidiOutput* output, int id = -1, ReportRoute route = {});
  // Wraps a port that is already open (null: not open).
  explicit CMidiOutDevice(std::unique_ptr<IMidiPort> port, ReportRoute route = {});
  ~CMidiOutDevice();
  CMidiOutDevice(const CMidiOutDevice&) = delete;
  CMidiOutDevice& operator=(const CMidiOutDevice&) = delete;

  bool IsOpen() const { return port_ != nullptr; }
  // Resets (all notes off) and closes the port; the senders then send nothing. A failed reset
  // reports MDCT 07000002. RINGOUT: after a play that ran to its end, its last notes may ring
  // out (IMidiPort::ResetAfterEnd).
  void CloseDevice(bool ringOut = false);
  // Messages sent from now on are due at DUEUS on the clock's microsecond line; -1 = at once.
  void SetDueTime(std::int64_t dueUs);
  // True when the port takes setup messages without pauses (the embedded synth, the log).
  bool TakesBurst() const { return port_ && port_->TakesBurst(); }

  // Each argument is taken as one byte; the channel (0..15) is added to the status byte.
  bool SendNoteOn(int key, int velocity, int channel);  // velocity above 127 goes as 127
  bool SendNoteOff(int key, int channel);
  bool SendProgramChange(int program, int channel);  // a failure reports MDCT 07000003
  bool SendControlChange(int value, int controller, int channel);
  bool SendShort(int data2, int data1, int status);
  // F0 7E 7F 09 01 F7.
  bool SendGmSystemOn();
  // A system exclusive event in its stored form. 0xF0 events: F0, the length as a
  // variable-length quantity, then the message up to its F7; it goes out as F0 and the message.
  // 0xF7 events: F7, the length, then bytes that go out as they are. Messages of any length go
  // out whole. A stored form too short to hold its length reports MDCT 07000004.
  bool SendSysEx(int storedLength, const std::uint8_t* stored);
  bool SendSysEx(std::span<const std::uint8_t> stored) {
    return SendSysEx(static_cast<int>(stored.size()), stored.data());
  }

 private:
  void Report(ErrorCode code) const;
  std::unique_ptr<IMidiPort> port_;
  ReportRoute route_;
};

// The bytes after the stored form's status and length; empty when it holds none.
std::span<const std::uint8_t> SysExPayload(std::span<const std::uint8_t> stored);

// Shows the no-device report again on the next open without any port (tests).
void RearmNoMidiDeviceReport();

}  // namespace zentory
