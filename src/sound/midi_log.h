// The message log of --midi-log: an output that writes every message sent through it as one line
// (its time in milliseconds since start-up, then the bytes in hex) and passes it on to the output
// it wraps. Without a wrapped output it is an output of its own that sounds nothing, so a play
// can run and be checked where no synth is wanted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports/clock.h"
#include "base/ports/midi_port.h"

namespace zentory {

class CMidiLog : public IMidiOutput {
 public:
  // INNER may be null; WRITE gets each line without its line end (it may be empty: no log).
  CMidiLog(IMidiOutput* inner, IClock* clock, std::function<void(std::string_view)> write);
  int DeviceCount() override;
  std::vector<std::string> DeviceNames() override;
  std::unique_ptr<IMidiPort> Open(int id) override;

  // "1234 90 3C 64": the line for BYTES sent at MS.
  static std::string FormatLine(std::int64_t ms, const std::uint8_t* bytes, std::size_t count);

 private:
  friend class CMidiLogPort;
  void Write(const std::uint8_t* bytes, std::size_t count);
  IMidiOutput* inner_;
  IClock* clock_;
  std::function<void(std::string_view)> write_;
  std::mutex mutex_;  // lines of the editor's and the player's ports never interleave
};

}  // namespace zentory
