// The background sound: WAVE files played in up to five independent slots, once or looping, each
// over a stream of the audio output. The whole audible part of a sound (at most 24 buffers of
// 65,536 bytes) is read at start, so a looping sound costs no file access while it loops.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/ports/audio_output.h"

namespace zentory {

class CWavePlayer {
 public:
  static constexpr int kSlots = 5;
  static constexpr int kBuffers = 24;
  static constexpr std::size_t kBufferBytes = 65536;

  // OUTPUTS[i] is the stream of slot i; a slot without one (or with null) stays silent.
  explicit CWavePlayer(std::vector<IAudioOutput*> outputs);
  ~CWavePlayer();  // stops every slot
  CWavePlayer(const CWavePlayer&) = delete;
  CWavePlayer& operator=(const CWavePlayer&) = delete;

  // 1 when the slot already plays or the sound was queued; 0 when the file or the device failed
  // (a file that cannot be read is reported once per run, not at every start).
  int StartSound(int slot, const std::string& path, int loop);
  // Stops the slot at once: no buffer stays queued and its device is closed.
  void StopSound(int slot);
  bool IsPlaying(int slot);

 private:
  struct Slot {
    IAudioOutput* output = nullptr;
    std::vector<std::vector<std::uint8_t>> buffers;  // only the ones that hold data
    std::atomic<bool> open{false};
    std::atomic<bool> stopped{true};
    std::atomic<bool> loop{false};
    std::atomic<bool> closeRequested{false};
    std::atomic<int> completed{0};
    int rate = 0, channels = 0, bits = 0;  // of the slot's first file; 0 until then
  };
  void OnDone(Slot& slot);
  void CloseIfFinished(Slot& slot);
  void Close(Slot& slot);
  Slot* SlotAt(int slot);

  std::array<std::unique_ptr<Slot>, kSlots> slots_;
  std::set<std::string> reportedPaths_;
};

}  // namespace zentory
