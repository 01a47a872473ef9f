// The real backends a front end runs on: the audio device with a stream for the voice and one for
// the background sound, the voice asked for, and the real clock. Both front ends (the window and
// the key script) start them through here, so they degrade the same way when one is missing.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports/audio_output.h"
#include "base/ports/clock.h"
#include "base/ports/speech.h"

namespace zentory {

namespace backend_texts {
// What could not be started, one line each in the box shown at start-up.
inline constexpr const char* kMissingHead = "次の機能を使えません。それ以外の機能で続けます。";
inline constexpr const char* kNoAudioDevice = "音声出力装置 (SDL2)";
inline constexpr const char* kNoSpeechd = "speech-dispatcher (--speech speechd)";
inline constexpr const char* kNoSpeechdFallback = "内蔵の音声 (eSpeak NG) で読み上げます。";
inline constexpr const char* kNoEmbeddedVoice = "内蔵の音声 (eSpeak NG の日本語音声)";
// The settings folder of --config or --user-config could not be had: the run starts from the
// default settings and writes none.
inline constexpr const char* kNoSettingsFolder =
    "設定フォルダー (既定の設定で始め、設定は保存しません)";
}  // namespace backend_texts

class CBackends {
 public:
  CBackends();
  ~CBackends();  // the voices go before the audio streams, the streams before the device
  CBackends(const CBackends&) = delete;
  CBackends& operator=(const CBackends&) = delete;

  // Opens the one audio device. False (with a line in PROBLEMS) when there is none.
  bool OpenAudio(std::vector<std::string>& problems);
  IAudioOutput* SpeechAudio() const;  // null until OpenAudio succeeded
  IAudioOutput* WaveAudio() const;

  // Starts the voice WHICH ("embedded", "speechd" or "none"). When speech-dispatcher cannot be
  // reached and FALLBACK is set, the embedded voice is started instead. Returns null without a
  // voice; every problem is one line in PROBLEMS. The embedded voice takes the user's readings
  // from READINGSFOLDER/readings.txt (the folder of setup.ini; empty: none).
  ISpeechSynth* StartSpeech(std::string_view which, bool fallback,
                            std::vector<std::string>& problems,
                            const std::string& readingsFolder = {});

  // The audio mix for a renderer such as the embedded synth: float stereo frames added on the
  // audio thread. Rate 0 (and no renderer taken) without an audio device.
  int AudioRate() const;
  int AudioBufferFrames() const;
  int AddAudioRenderer(std::function<void(float*, int)> renderer);
  void RemoveAudioRenderer(int id);

  // The steady clock and the timer thread; null when the build has no timer backend.
  IClock* RealClock();
  ITimerService* RealTimers();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zentory
