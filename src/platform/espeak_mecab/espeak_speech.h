// The embedded voice: the reading rules and MeCab turn the text into kana, eSpeak NG's Japanese
// voice synthesises it on a worker thread, and the PCM goes to an audio output stream.
// eSpeak NG keeps its state process-wide, so only one CEspeakSpeech may exist at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/ports/audio_output.h"
#include "base/ports/speech.h"

namespace zentory {

class CReadingConverter;

// Converts the engine's 16-bit mono PCM to an output format (rate, bits, channels) with a gain,
// keeping the resampling phase across the blocks of one utterance.
class CPcmConverter {
 public:
  CPcmConverter(int sourceRate, const AudioFormat& target) : source_(sourceRate), target_(target) {}
  // Appends the converted SAMPLES to OUT.
  void Convert(const std::int16_t* samples, int count, float gain, std::vector<std::uint8_t>& out);

 private:
  int source_;
  AudioFormat target_;
  double position_ = 0;  // next output sample, in source samples relative to the block start
  float last_ = 0;       // the previous block's last sample, for interpolation across blocks
};

class CEspeakSpeech : public ISpeechSynth {
 public:
  // OUTPUT receives the speech; null: the voice runs but nothing is heard. DICDIR: the MeCab
  // dictionary (empty: the usual places).
  explicit CEspeakSpeech(IAudioOutput* output, std::string dicDir = {});
  ~CEspeakSpeech() override;
  CEspeakSpeech(const CEspeakSpeech&) = delete;
  CEspeakSpeech& operator=(const CEspeakSpeech&) = delete;

  // Before Start: the folder of eSpeak NG's data (empty: the library's own), and the folder
  // whose readings.txt holds the user's readings (empty: none are read).
  void SetDataPath(std::string path) { dataPath_ = std::move(path); }
  void SetReadingsFolder(std::string folder) { readingsFolder_ = std::move(folder); }
  // Starts the worker and the voice. False, with the reason in Problems(), when eSpeak NG's data
  // or its Japanese voice is missing; the process always goes on.
  bool Start();
  // What works less well than it should (no MeCab dictionary, a malformed readings.txt line), or
  // why the voice could not start; one sentence a line, or empty.
  const std::string& Problems() const { return problems_; }

  std::vector<std::string> Voices() override;
  int CurrentVoice() override { return voice_.load(); }
  bool SelectVoice(int index) override;
  void Speak(std::string_view text) override;
  bool SetRate(int rate) override;
  std::optional<int> Rate() override { return rate_.load(); }
  bool SetVolume(int volume) override;
  std::optional<int> Volume() override { return volume_.load(); }
  std::optional<AudioFormat> OutputFormat() override;
  bool SetOutputFormat(const AudioFormat& format) override;

  // Called by the synthesis callback on the worker with each block; 1 aborts the utterance.
  int Deliver(const short* wav, int count);

 private:
  void Run();

  IAudioOutput* output_;
  void AddProblem(const std::string& line);

  std::string dicDir_;
  std::string dataPath_;
  std::string readingsFolder_;
  std::string problems_;
  int sourceRate_ = 22050;

  std::atomic<int> voice_{0};
  std::atomic<int> rate_{0};
  std::atomic<int> volume_{100};
  std::atomic<std::uint64_t> generation_{0};  // bumped by every Speak: older speech stops

  std::mutex outputMutex_;  // Speak's silence and the worker's Queue never interleave
  AudioFormat format_{22050, 16, 1};
  bool outputOpen_ = false;

  std::mutex textMutex_;
  std::condition_variable textReady_;
  std::string text_;
  std::uint64_t textGeneration_ = 0;
  bool stop_ = false;
  bool started_ = false;

  // Worker-thread state of the utterance being synthesised.
  std::uint64_t speaking_ = 0;
  bool leading_ = true;  // nothing audible delivered yet
  std::unique_ptr<CReadingConverter> reader_;
  std::unique_ptr<CPcmConverter> converter_;
  std::vector<std::uint8_t> block_;
  std::thread worker_;
};

}  // namespace zentory
