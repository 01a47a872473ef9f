// The embedded synth and the embedded voice share one mix: a velocity-100 piano note and an
// announcement at full volume are within 6 dB of each other, measured on the audio they render.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "platform/espeak_mecab/espeak_speech.h"
#include "platform/fluidsynth/fluid_synth.h"

namespace zentory {
namespace {

constexpr int kRate = 44100;

class PcmRecorder : public IAudioOutput {
 public:
  bool Open(const AudioFormat& f, Done) override {
    format_ = f;
    return true;
  }
  AudioFormat Format() const override { return format_; }
  std::uint64_t Queue(std::vector<std::uint8_t> samples) override {
    std::lock_guard lock(mutex_);
    bytes_.insert(bytes_.end(), samples.begin(), samples.end());
    return ++buffers_;
  }
  void Reset() override {
    std::lock_guard lock(mutex_);
    bytes_.clear();
  }
  void Close() override {}
  std::vector<float> Samples() {
    std::lock_guard lock(mutex_);
    std::vector<float> out;
    for (std::size_t i = 0; i + 1 < bytes_.size(); i += 2) {
      out.push_back(static_cast<float>(static_cast<std::int16_t>(bytes_[i] | bytes_[i + 1] << 8)) /
                    32768.0f);
    }
    return out;
  }

 private:
  std::mutex mutex_;
  AudioFormat format_{};
  std::vector<std::uint8_t> bytes_;
  std::uint64_t buffers_ = 0;
};

// RMS in dBFS of SAMPLES between the first and the last one above -40 dBFS (the pauses before
// and after an utterance are not part of its loudness).
double ActiveRmsDb(const std::vector<float>& samples) {
  std::size_t a = 0, b = samples.size();
  while (a < b && std::fabs(samples[a]) < 0.01f) ++a;
  while (b > a && std::fabs(samples[b - 1]) < 0.01f) --b;
  if (a == b) return -200;
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) sum += double{samples[i]} * samples[i];
  return 10 * std::log10(sum / static_cast<double>(b - a));
}

TEST(SynthVoiceBalance, ANoteAndAnAnnouncementAreWithin6Db) {
  CFluidSynth synth;
  if (!synth.Start(kRate)) GTEST_SKIP() << synth.Error();
  PcmRecorder recorder;
  CEspeakSpeech voice(&recorder);
  if (!voice.Start()) GTEST_SKIP() << voice.Problems();
  ASSERT_TRUE(voice.SetOutputFormat(AudioFormat{kRate, 16, 2}));
  voice.Speak("曲を新規作成しました。小節[1] 拍[1] 節[1]");
  // The voice synthesises ahead of playback: the whole sentence is there well within this.
  std::vector<float> speech;
  for (int i = 0; i < 100; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<float> now = recorder.Samples();
    if (!now.empty() && now.size() == speech.size()) break;
    speech = std::move(now);
  }
  ASSERT_GT(speech.size(), static_cast<std::size_t>(kRate));

  // A quarter note at 120 BPM on the piano, as a preview or a play sounds it.
  auto port = synth.Open(-1);
  ASSERT_TRUE(port);
  port->ShortMessage(0x0000C0u);
  port->ShortMessage(0x643C90u);
  std::vector<float> note(2 * kRate / 2);
  synth.Render(note.data(), kRate / 2);
  port->ShortMessage(0x003C80u);

  const double speechDb = ActiveRmsDb(speech);
  const double noteDb = ActiveRmsDb(note);
  EXPECT_NEAR(noteDb, speechDb, 6.0) << synth.SoundFontPath();
}

}  // namespace
}  // namespace zentory
