// A text-to-speech engine. Speak never waits: it drops whatever is queued or being spoken and
// starts the new text, so the newest text always wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

// PCM format of an audio stream.
struct AudioFormat {
  int rate = 22050;  // samples per second
  int bits = 16;     // 8 or 16
  int channels = 1;  // 1 or 2
  bool operator==(const AudioFormat&) const = default;
};

class ISpeechSynth {
 public:
  virtual ~ISpeechSynth() = default;
  // One description per installed voice, in the engine's order.
  virtual std::vector<std::string> Voices() = 0;
  virtual int CurrentVoice() = 0;           // index into Voices(), -1 for the default voice
  virtual bool SelectVoice(int index) = 0;  // also drops what is being spoken
  // The row the voice list starts on: the first voice unless the engine knows a better one (a
  // Japanese voice among English ones).
  virtual int PreferredVoice() { return 0; }
  // Drops queued and current speech, then speaks TEXT (UTF-8, read literally) asynchronously.
  // The empty text only silences.
  virtual void Speak(std::string_view text) = 0;
  virtual bool SetRate(int rate) = 0;  // -10..10
  virtual std::optional<int> Rate() = 0;
  virtual bool SetVolume(int volume) = 0;  // 0..100
  virtual std::optional<int> Volume() = 0;
  // The format of the stream the engine hands to the audio output; nothing when unknown.
  virtual std::optional<AudioFormat> OutputFormat() = 0;
  virtual bool SetOutputFormat(const AudioFormat& format) = 0;
};

}  // namespace zentory
