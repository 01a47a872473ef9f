// The embedded General MIDI synth: FluidSynth with a GM SoundFont, rendering into the shared
// audio mix. Messages are queued with the frame they are due at and applied at that frame inside
// the render call, so playback has no timing jitter beyond FluidSynth's own 64-frame block,
// whatever the size of the audio buffer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/ports/midi_port.h"

namespace zentory {

class CFluidSynth : public IMidiOutput {
 public:
  CFluidSynth();
  ~CFluidSynth() override;
  CFluidSynth(const CFluidSynth&) = delete;
  CFluidSynth& operator=(const CFluidSynth&) = delete;

  // Creates the synth at RATE and loads the SoundFont (SOUNDFONT, or the first GM SoundFont
  // installed: FluidR3_GM, then TimGM6mb), its level balanced against the embedded voice. False
  // with Error() when either fails.
  bool Start(int rate, const std::string& soundFont = {});
  const std::string& Error() const { return error_; }
  const std::string& SoundFontPath() const { return soundFont_; }
  int Rate() const { return rate_; }

  // How far ahead of the audio a timed message is placed, in frames (live output: about two
  // audio buffers, so a message sent a little late still lands at its exact distance from the
  // others).
  void SetLatencyFrames(int frames) { latency_.store(frames); }
  // Rendering in virtual time: a message due at T microseconds on the clock goes to frame
  // T * rate / 1e6 exactly (the clock and the rendered frames start together).
  void LockToFrames(bool locked) { locked_.store(locked); }

  // Renders FRAMES frames of interleaved float stereo into STEREO (overwritten).
  void Render(float* stereo, int frames);
  std::int64_t FramesRendered() const { return rendered_.load(); }

  // IMidiOutput: one device, the synth itself.
  int DeviceCount() override { return 1; }
  std::vector<std::string> DeviceNames() override;
  std::unique_ptr<IMidiPort> Open(int id) override;

  struct Pending {
    std::int64_t frame;  // -1: at the start of the next block
    std::vector<std::uint8_t> bytes;
    const void* owner = nullptr;  // the port that sent it
    bool reset = false;           // a port's reset: silence everything
  };
  // Queues BYTES (a short message or a whole system exclusive) from OWNER for FRAME.
  void Enqueue(std::int64_t frame, const std::uint8_t* bytes, std::size_t count,
               const void* owner = nullptr);
  // OWNER's reset: what it queued and has not been rendered yet is dropped, and from the start
  // of the next block the synth fades out over kResetFadeMs and is silenced with its reverb and
  // chorus tails; messages queued after the reset wait for the fade to end.
  void ResetFrom(const void* owner);
  static constexpr int kResetFadeMs = 10;
  // The frame a message due at DUEUS goes to, for a port whose first timed message fixed
  // *OFFSET (unset: INT64_MIN).
  std::int64_t FrameOf(std::int64_t dueUs, std::int64_t* offset) const;

 private:
  void Apply(const std::vector<std::uint8_t>& bytes);
  void Write(float* stereo, int from, int to);
  // Write, with the reset's fade applied while one runs.
  void WriteFading(float* stereo, int from, int to);
  // The end of a reset's fade: every voice off at once, and the reverb's tail kept unheard.
  void Silence();
  void RestoreReverb();
  // Sets the synth's gain so that a velocity-100 piano note sits just under the embedded voice.
  void BalanceGain();
  // Keeps the rendered block under kLimiterCeiling.
  void Limit(float* stereo, int frames);
  static constexpr float kLimiterCeiling = 0.9f;
  static constexpr int kReverbRestMs = 3000;
  static constexpr int kFluidBlockFrames = 64;

  struct Handles;
  std::unique_ptr<Handles> h_;
  std::string error_;
  std::string soundFont_;
  int rate_ = 44100;
  std::atomic<int> latency_{1024};
  std::atomic<bool> locked_{false};
  std::atomic<std::int64_t> rendered_{0};
  std::mutex mutex_;
  std::vector<Pending> queue_;
  std::vector<Pending> taken_;  // used by the render call only
  int fadeLeft_ = 0;            // frames of the reset's fade still to render (render call only)
  int fadeTotal_ = 1;
  int reverbMutedFrames_ = 0;  // frames until the reverb's level comes back by itself
  double reverbLevel_ = -1;    // the level to bring back; -1: not muted
  float limiterGain_ = 1.0f;   // render call only
};

}  // namespace zentory
