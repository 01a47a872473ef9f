// The shared SDL device on the dummy driver: buffers of a stream play in order and come back,
// Reset hands back what is queued, renderers and streams are mixed.
#include "platform/sdl_audio/sdl_audio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace zentory {
namespace {

class SdlDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!device.Open(48000, 256)) GTEST_SKIP() << device.Error();
  }
  CSdlAudioDevice device;
};

std::vector<std::uint8_t> Tone(std::size_t frames, std::int16_t value) {
  std::vector<std::uint8_t> pcm(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    pcm[i * 2] = static_cast<std::uint8_t>(value & 0xFF);
    pcm[i * 2 + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  }
  return pcm;
}

TEST_F(SdlDevice, BuffersCompleteInOrderAndTheMixCarriesThem) {
  std::mutex m;
  std::vector<std::uint64_t> done;
  std::atomic<float> peak{0};
  device.SetObserver([&](const float* s, int frames) {
    for (int i = 0; i < frames * 2; ++i) {
      if (s[i] > peak.load()) peak = s[i];
    }
  });
  auto out = device.CreateOutput();
  ASSERT_TRUE(out->Open(AudioFormat{22050, 16, 1}, [&](std::uint64_t id) {
    std::lock_guard lock(m);
    done.push_back(id);
  }));
  const std::uint64_t a = out->Queue(Tone(1000, 8192));
  const std::uint64_t b = out->Queue(Tone(1000, 8192));
  ASSERT_NE(a, 0u);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (;;) {
    {
      std::lock_guard lock(m);
      if (done.size() == 2 || std::chrono::steady_clock::now() > end) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::lock_guard lock(m);
  EXPECT_EQ(done, (std::vector<std::uint64_t>{a, b}));
  EXPECT_NEAR(peak.load(), 0.25f, 0.01f);
}

TEST_F(SdlDevice, ResetHandsBackEverythingAndClosedStreamsRefuse) {
  std::vector<std::uint64_t> done;
  auto out = device.CreateOutput();
  ASSERT_TRUE(out->Open(AudioFormat{8000, 8, 2}, [&](std::uint64_t id) { done.push_back(id); }));
  out->Queue(std::vector<std::uint8_t>(80000, 128));
  out->Queue(std::vector<std::uint8_t>(80000, 128));
  out->Reset();
  EXPECT_EQ(done.size(), 2u);
  out->Close();
  EXPECT_EQ(out->Queue(std::vector<std::uint8_t>(100, 128)), 0u);
  EXPECT_FALSE(out->Open(AudioFormat{8000, 12, 1}, nullptr));  // no 12-bit PCM
}

TEST_F(SdlDevice, RenderersAddIntoTheMix) {
  std::atomic<float> peak{0};
  device.SetObserver([&](const float* s, int frames) {
    for (int i = 0; i < frames * 2; ++i) {
      if (s[i] > peak.load()) peak = s[i];
    }
  });
  int id = device.AddRenderer([](float* stereo, int frames) {
    for (int i = 0; i < frames * 2; ++i) stereo[i] += 0.5f;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  device.RemoveRenderer(id);
  EXPECT_NEAR(peak.load(), 0.5f, 0.001f);
}

}  // namespace
}  // namespace zentory
