// One PCM audio output. Buffers play in the order queued; each one is handed back through the
// completion callback when it has played (or when Reset drops it).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/ports/speech.h"

namespace zentory {

class IAudioOutput {
 public:
  virtual ~IAudioOutput() = default;
  using Done = std::function<void(std::uint64_t bufferId)>;
  virtual bool Open(const AudioFormat& format, Done onDone) = 0;
  virtual AudioFormat Format() const = 0;
  // Queues one buffer of interleaved samples in the open format; returns its id (0 = refused).
  virtual std::uint64_t Queue(std::vector<std::uint8_t> samples) = 0;
  // Stops at once and hands back every queued buffer through the callback.
  virtual void Reset() = 0;
  // Closes the device; must not be called from inside the completion callback.
  virtual void Close() = 0;
};

}  // namespace zentory
