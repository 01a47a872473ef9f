// The embedded voice against a recording audio output: speech arrives as PCM in the chosen
// format, and a newer text cuts the older one off.
#include "platform/espeak_mecab/espeak_speech.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "support/temp_dir.h"

namespace zentory {
namespace {

class RecordingOutput : public IAudioOutput {
 public:
  bool Open(const AudioFormat& f, Done) override {
    std::lock_guard lock(mutex);
    format = f;
    open = true;
    return true;
  }
  AudioFormat Format() const override { return format; }
  std::uint64_t Queue(std::vector<std::uint8_t> samples) override {
    std::lock_guard lock(mutex);
    bytes += samples.size();
    return ++buffers;
  }
  void Reset() override {
    std::lock_guard lock(mutex);
    ++resets;
    bytes = 0;
  }
  void Close() override { open = false; }

  std::size_t Bytes() {
    std::lock_guard lock(mutex);
    return bytes;
  }
  std::mutex mutex;
  AudioFormat format;
  bool open = false;
  std::size_t bytes = 0;
  std::uint64_t buffers = 0;
  int resets = 0;
};

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST(EspeakSpeech, SpeaksIntoTheOutputInTheChosenFormatAndNewerTextWins) {
  RecordingOutput output;
  CEspeakSpeech voice(&output);
  ASSERT_TRUE(voice.Start());
  EXPECT_EQ(voice.Voices().size(), 2u);
  ASSERT_TRUE(voice.OutputFormat().has_value());
  EXPECT_EQ(voice.OutputFormat()->bits, 16);

  ASSERT_TRUE(voice.SetOutputFormat(AudioFormat{48000, 16, 2}));
  EXPECT_EQ(output.format, (AudioFormat{48000, 16, 2}));
  voice.Speak("曲を新規作成しました。小節[1] 拍[1] 節[1]");
  ASSERT_TRUE(WaitFor([&] { return output.Bytes() > 0; }));
  EXPECT_EQ(output.Bytes() % 4, 0u);  // whole stereo 16-bit frames

  // A short text replaces a long one: the output is reset and only the short one is left.
  voice.Speak("あ");
  EXPECT_GE(output.resets, 1);
  ASSERT_TRUE(WaitFor([&] { return output.Bytes() > 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // "あ" lasts well under a second: 48000 frames of 4 bytes would mean the long text went on.
  EXPECT_LT(output.Bytes(), 48000u * 4u);

  voice.Speak("");  // only silence
  EXPECT_EQ(output.Bytes(), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(output.Bytes(), 0u);
  EXPECT_FALSE(voice.SetRate(11));
  EXPECT_TRUE(voice.SetRate(-10));
  EXPECT_FALSE(voice.SetVolume(101));
}

TEST(EspeakSpeech, MissingDataIsReportedAndTheProgramGoesOn) {
  // A folder that does not exist: the library would quietly take its own data instead.
  CEspeakSpeech missing(nullptr);
  missing.SetDataPath("/nonexistent-espeak-data");
  EXPECT_FALSE(missing.Start());
  EXPECT_NE(missing.Problems().find("espeak-ng-data"), std::string::npos) << missing.Problems();
  EXPECT_NE(missing.Problems().find("/nonexistent-espeak-data"), std::string::npos);
}

TEST(EspeakSpeechDeathTest, AnEmptyDataFolderFailsWithoutEndingTheProcess) {
  // eSpeak NG's state is process-wide, so the library's own failure is tried in a fresh process,
  // before any other test has started it. Its plain initialisation would exit with code 1 here.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  test_support::TempDir empty;
  EXPECT_EXIT(
      {
        CEspeakSpeech voice(nullptr);
        voice.SetDataPath(empty.Str());
        const bool started = voice.Start();
        const bool named = voice.Problems().find("espeak-ng-data") != std::string::npos;
        std::_Exit(!started && named ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(EspeakSpeech, MalformedReadingsAreNamedAndTheRestApplies) {
  test_support::TempDir dir;
  std::ofstream(dir.File("readings.txt")) << "ok\tオーケー\nno tab\n";
  CEspeakSpeech voice(nullptr);
  voice.SetReadingsFolder(dir.Str());
  ASSERT_TRUE(voice.Start());
  EXPECT_NE(voice.Problems().find("readings.txt"), std::string::npos) << voice.Problems();
  EXPECT_NE(voice.Problems().find(" 2行目"), std::string::npos) << voice.Problems();
}

}  // namespace
}  // namespace zentory
