// A MIDI output port.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zentory {

class IMidiPort {
 public:
  virtual ~IMidiPort() = default;
  // Sends a short message packed as status | data1 << 8 | data2 << 16.
  virtual bool ShortMessage(std::uint32_t message) = 0;
  // Sends a complete system-exclusive message (0xF0 ... 0xF7).
  virtual bool SysEx(std::span<const std::uint8_t> data) = 0;
  // Silences every channel (all notes off, controllers reset).
  virtual bool Reset() = 0;
  // The reset after a play that ran to its end: the notes are released and may ring out as the
  // music would. By default the same as Reset.
  virtual bool ResetAfterEnd() { return Reset(); }
  // The messages sent from now on are due at DUEUS on the clock's microsecond time line
  // (IClock::NowUs); -1 means at once. A port that can place a message at its exact time (a
  // software synth rendering ahead) does so; the others send when asked.
  virtual void SetDueTime(std::int64_t dueUs) { (void)dueUs; }
  // True when the port takes a burst of setup messages without pauses between them.
  virtual bool TakesBurst() const { return false; }
};

class IMidiOutput {
 public:
  virtual ~IMidiOutput() = default;
  virtual int DeviceCount() = 0;
  virtual std::vector<std::string> DeviceNames() = 0;
  // Opens port ID (-1 = the default port); nothing when it cannot be opened. Closing is
  // destroying the port.
  virtual std::unique_ptr<IMidiPort> Open(int id) = 0;
};

}  // namespace zentory
