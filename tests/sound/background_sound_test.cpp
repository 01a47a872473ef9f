// The WAVE reader, the background-sound player, the volume rescue and the message log.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/fakes/fakes.h"
#include "sound/master_volume.h"
#include "sound/midi_log.h"
#include "sound/sound_errors.h"
#include "sound/wave_file.h"
#include "sound/wave_player.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A PCM file; DECLARED overrides the data chunk's size (to lie about it).
Bytes MakeWave(std::uint32_t rate, std::uint16_t channels, std::size_t dataBytes,
               std::optional<std::uint32_t> declared = std::nullopt, bool extraChunk = false) {
  Bytes b{'R', 'I', 'F', 'F'};
  Put32(b, 0);
  b.insert(b.end(), {'W', 'A', 'V', 'E'});
  if (extraChunk) {  // an odd-sized chunk with its pad byte before the format
    b.insert(b.end(), {'L', 'I', 'S', 'T'});
    Put32(b, 3);
    b.insert(b.end(), {1, 2, 3, 0});
  }
  b.insert(b.end(), {'f', 'm', 't', ' '});
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * 2);
  Put16(b, static_cast<std::uint16_t>(channels * 2));
  Put16(b, 16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, declared.value_or(static_cast<std::uint32_t>(dataBytes)));
  for (std::size_t i = 0; i < dataBytes; ++i) b.push_back(static_cast<std::uint8_t>(i));
  return b;
}

WaveData Read(const Bytes& b, WaveReadError* error, std::size_t max = 1 << 24) {
  std::istringstream in(std::string(b.begin(), b.end()));
  return ReadWave(in, max, error);
}

TEST(WaveFile, ReadsPcmAndChecksEveryLength) {
  WaveReadError error;
  WaveData w = Read(MakeWave(44100, 2, 4000, std::nullopt, true), &error);
  EXPECT_EQ(error, WaveReadError::kNone);
  EXPECT_EQ(w.format, (AudioFormat{44100, 16, 2}));
  EXPECT_EQ(w.samples.size(), 4000u);
  // At most the limit, whole frames only.
  EXPECT_EQ(Read(MakeWave(44100, 2, 4000), &error, 1001).samples.size(), 1000u);
  // A data chunk that claims more than the file holds gives what is there, flagged.
  w = Read(MakeWave(22050, 1, 10, 0x7FFFFFF0u), &error);
  EXPECT_EQ(error, WaveReadError::kNone);
  EXPECT_TRUE(w.shortRead);
  EXPECT_EQ(w.samples.size(), 10u);

  Bytes notRiff = MakeWave(44100, 2, 8);
  notRiff[0] = 'X';
  Read(notRiff, &error);
  EXPECT_EQ(error, WaveReadError::kNotWave);
  Bytes truncated = MakeWave(44100, 2, 8);
  truncated.resize(30);  // inside the format chunk
  Read(truncated, &error);
  EXPECT_EQ(error, WaveReadError::kNotWave);
  Bytes hugeChunk = MakeWave(44100, 2, 8, std::nullopt, true);
  hugeChunk[16] = 0xFF;  // the LIST chunk claims 4 GB
  hugeChunk[17] = 0xFF;
  hugeChunk[18] = 0xFF;
  hugeChunk[19] = 0xFF;
  Read(hugeChunk, &error);
  EXPECT_EQ(error, WaveReadError::kNotWave);
  Bytes shortFormat = MakeWave(44100, 2, 8);
  shortFormat[16] = 8;  // 'fmt ' of 8 bytes
  Read(shortFormat, &error);
  EXPECT_EQ(error, WaveReadError::kNotWave);
  Read(MakeWave(44100, 6, 8), &error);
  EXPECT_EQ(error, WaveReadError::kUnsupported);
}

class WavePlayerTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) {
    std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  test_support::TempDir dir;
  FakeMessageBox box;
  ScopedMessageBoxTarget scope{&box};
  FakeAudioOutput audio;
};

TEST_F(WavePlayerTest, LoopsItsFirstBuffersUntilStopped) {
  // 10 s of 44.1 kHz stereo: only the first 24 buffers of 65,536 bytes play, again and again.
  std::string path = Write("menu.wav", MakeWave(44100, 2, 1764000));
  CWavePlayer player({&audio});
  EXPECT_EQ(player.StartSound(0, path, 1), 1);
  EXPECT_EQ(audio.Queued(), 24u);
  EXPECT_EQ(player.StartSound(0, path, 1), 1);  // already playing: nothing restarts
  EXPECT_EQ(audio.Queued(), 24u);
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(audio.CompleteOne());
  EXPECT_EQ(audio.Queued(), 24u);
  EXPECT_EQ(audio.bytesPlayed, 30u * 65536u);
  player.StopSound(0);
  EXPECT_EQ(audio.Queued(), 0u);
  EXPECT_FALSE(audio.isOpen);
  EXPECT_FALSE(player.IsPlaying(0));
  EXPECT_TRUE(box.Boxes().empty());
}

TEST_F(WavePlayerTest, OnceQueuesOnlyFilledBuffersAndClosesOutsideTheCallback) {
  std::string path = Write("short.wav", MakeWave(22050, 1, 70000));
  CWavePlayer player({&audio});
  EXPECT_EQ(player.StartSound(0, path, 0), 1);
  EXPECT_EQ(audio.Queued(), 2u);
  audio.CompleteOne();
  audio.CompleteOne();
  EXPECT_TRUE(audio.isOpen);  // the callback itself never closes
  EXPECT_FALSE(player.IsPlaying(0));
  EXPECT_FALSE(audio.isOpen);
  EXPECT_EQ(player.StartSound(0, path, 0), 1);  // it may start again
}

TEST_F(WavePlayerTest, FailuresAreToldOnceAndOtherFormatsRefused) {
  CWavePlayer player({&audio});
  EXPECT_EQ(player.StartSound(0, dir.File("missing.wav"), 1), 0);
  EXPECT_EQ(player.StartSound(0, dir.File("missing.wav"), 1), 0);
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0], wave_texts::kCannotOpen);
  player.StopSound(0);  // nothing open: nothing happens
  std::string a = Write("a.wav", MakeWave(44100, 2, 100));
  std::string b = Write("b.wav", MakeWave(22050, 2, 100));
  EXPECT_EQ(player.StartSound(1, a, 1), 0);  // slot 1 has no stream
  EXPECT_EQ(player.StartSound(0, a, 1), 1);
  player.StopSound(0);
  EXPECT_EQ(player.StartSound(0, b, 1), 0);
  EXPECT_EQ(box.Boxes().back(), wave_texts::kRate);
}

TEST(MasterVolume, RaisesOnlyWhatIsReallyZeroOrMuted) {
  std::vector<std::string> said;
  auto announce = [&](std::string_view t) { said.emplace_back(t); };
  FakeMixer mixer;
  EXPECT_EQ(RaiseSilentVolumes(&mixer, announce), 0);
  EXPECT_TRUE(said.empty());

  mixer.volumes[MixerLine::kMaster] = 0;
  mixer.mutes[MixerLine::kWave] = true;
  mixer.volumes.erase(MixerLine::kSynth);  // most cards have no synth line
  EXPECT_EQ(RaiseSilentVolumes(&mixer, announce), 2);
  EXPECT_EQ(mixer.volumes[MixerLine::kMaster], kFullVolume);
  EXPECT_EQ(mixer.volumes[MixerLine::kWave], 65535);
  EXPECT_FALSE(mixer.mutes[MixerLine::kWave]);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0], kVolumeRaisedText);
  EXPECT_EQ(mixer.volumes.count(MixerLine::kSynth), 0u);

  said.clear();
  EXPECT_EQ(RaiseSilentVolumes(nullptr, announce), 0);
  EXPECT_TRUE(said.empty());
}

TEST(MidiLog, LogsEveryMessageWithItsTimeAndCountsAsAnOutput) {
  FakeClock clock;
  std::vector<std::string> lines;
  CMidiLog silent(nullptr, &clock, [&](std::string_view l) { lines.emplace_back(l); });
  EXPECT_EQ(silent.DeviceCount(), 1);
  auto port = silent.Open(-1);
  ASSERT_TRUE(port);
  EXPECT_TRUE(port->TakesBurst());
  clock.Advance(1234);
  port->ShortMessage(0x643C90);
  port->ShortMessage(0x05C1);
  const std::uint8_t gm[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  port->SysEx(gm);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"1234 90 3C 64", "1234 C1 05", "1234 F0 7E 7F 09 01 F7"}));
  FakeMidiOutput inner;
  inner.failOpen = true;
  CMidiLog wrapped(&inner, &clock, {});
  EXPECT_EQ(wrapped.Open(-1), nullptr);
}

}  // namespace
}  // namespace zentory
