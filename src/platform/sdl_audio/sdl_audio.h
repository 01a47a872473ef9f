// One SDL2 audio device shared by every sound of the program. Its callback mixes the queued
// buffers of each output stream (speech, the background sound) and the renderers (the synth)
// into one float stereo block.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ports/audio_output.h"

namespace zentory {

class CSdlAudioDevice {
 public:
  CSdlAudioDevice();
  ~CSdlAudioDevice();
  CSdlAudioDevice(const CSdlAudioDevice&) = delete;
  CSdlAudioDevice& operator=(const CSdlAudioDevice&) = delete;

  // Opens the default device and starts it; false (with Error()) when there is none.
  bool Open(int rate = 48000, int frames = 512);
  void Close();
  bool IsOpen() const { return device_ != 0; }
  const std::string& Error() const { return error_; }
  int Rate() const { return rate_; }

  // A new output stream into the mix; it outlives nothing: destroy it before the device.
  std::unique_ptr<IAudioOutput> CreateOutput();

  // Adds FRAMES frames of float stereo to the mix, on the audio thread.
  using Renderer = std::function<void(float* stereo, int frames)>;
  int AddRenderer(Renderer renderer);
  void RemoveRenderer(int id);
  // Sees every finished block (after clipping), on the audio thread; for measurements.
  using Observer = std::function<void(const float* stereo, int frames)>;
  void SetObserver(Observer observer);

  // Runs FN with the audio callback held off (SDL's device lock is recursive).
  template <typename Fn>
  auto Locked(Fn&& fn) {
    struct Guard {
      SDL_AudioDeviceID d;
      ~Guard() {
        if (d) SDL_UnlockAudioDevice(d);
      }
    } guard{device_};
    if (device_) SDL_LockAudioDevice(device_);
    return fn();
  }

  struct Stream;  // the state of one output stream, touched only under the device lock
  void DetachStream(Stream* stream);

 private:
  static void Callback(void* self, Uint8* out, int len);
  void Mix(float* out, int frames);

  SDL_AudioDeviceID device_ = 0;
  int rate_ = 48000;
  std::string error_;
  bool sdlInit_ = false;
  std::vector<Stream*> streams_;
  std::vector<std::pair<int, Renderer>> renderers_;
  int nextRenderer_ = 1;
  Observer observer_;
  std::vector<float> scratch_;
};

}  // namespace zentory
