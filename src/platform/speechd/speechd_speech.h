// The user's own screen-reader voice through speech-dispatcher. The output format cannot be
// chosen there: it is kept and reported, and has no effect.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "base/ports/speech.h"

namespace zentory {

class CSpeechdSpeech : public ISpeechSynth {
 public:
  CSpeechdSpeech();
  ~CSpeechdSpeech() override;
  CSpeechdSpeech(const CSpeechdSpeech&) = delete;
  CSpeechdSpeech& operator=(const CSpeechdSpeech&) = delete;

  // Connects to speech-dispatcher; false (with Error()) when it cannot be reached.
  bool Open();
  const std::string& Error() const { return error_; }

  // Row 0 is speech-dispatcher's default Japanese voice, then every voice it offers.
  std::vector<std::string> Voices() override;
  int CurrentVoice() override { return current_; }
  bool SelectVoice(int index) override;
  void Speak(std::string_view text) override;
  bool SetRate(int rate) override;
  std::optional<int> Rate() override { return rate_; }
  bool SetVolume(int volume) override;
  std::optional<int> Volume() override { return volume_; }
  std::optional<AudioFormat> OutputFormat() override { return format_; }
  bool SetOutputFormat(const AudioFormat& format) override;

 private:
  void* connection_ = nullptr;  // the library's SPDConnection
  std::mutex mutex_;            // one request at a time on the connection
  std::string error_;
  std::vector<std::string> names_;         // voice ids, row - 1
  std::vector<std::string> descriptions_;  // as listed
  int current_ = 0;
  int rate_ = 0;
  int volume_ = 100;
  AudioFormat format_{22050, 16, 1};
};

}  // namespace zentory
