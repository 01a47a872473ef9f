// The waveOut stream against a fake driver: buffers come back in the order queued once the
// driver is done with them, a reset hands back every one at once, the callback may queue again,
// and nothing stays prepared after closing.
#include "platform/win32/waveout_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <vector>

namespace zentory {
namespace {

class CFakeWaveApi : public IWinWaveApi {
 public:
  std::mutex mutex;
  std::vector<WAVEHDR*> written;  // in writing order, done or not
  std::set<WAVEHDR*> prepared;
  HANDLE event = nullptr;
  WAVEFORMATEX format{};
  MMRESULT openResult = MMSYSERR_NOERROR;
  MMRESULT writeResult = MMSYSERR_NOERROR;
  bool closed = false;

  UINT GetNumDevs() override { return 1; }
  MMRESULT Open(HWAVEOUT* out, const WAVEFORMATEX& f, HANDLE doneEvent) override {
    if (openResult != MMSYSERR_NOERROR) return openResult;
    format = f;
    event = doneEvent;
    *out = reinterpret_cast<HWAVEOUT>(static_cast<std::uintptr_t>(0x77));
    return MMSYSERR_NOERROR;
  }
  MMRESULT PrepareHeader(HWAVEOUT, WAVEHDR* h) override {
    std::lock_guard lock(mutex);
    h->dwFlags |= WHDR_PREPARED;
    prepared.insert(h);
    return MMSYSERR_NOERROR;
  }
  MMRESULT Write(HWAVEOUT, WAVEHDR* h) override {
    if (writeResult != MMSYSERR_NOERROR) return writeResult;
    std::lock_guard lock(mutex);
    h->dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    written.push_back(h);
    return MMSYSERR_NOERROR;
  }
  MMRESULT UnprepareHeader(HWAVEOUT, WAVEHDR* h) override {
    std::lock_guard lock(mutex);
    h->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
    prepared.erase(h);
    return MMSYSERR_NOERROR;
  }
  MMRESULT Reset(HWAVEOUT) override {
    std::lock_guard lock(mutex);
    for (WAVEHDR* h : written) h->dwFlags |= WHDR_DONE;
    written.clear();
    return MMSYSERR_NOERROR;
  }
  MMRESULT Close(HWAVEOUT) override {
    closed = true;
    return MMSYSERR_NOERROR;
  }
  // The driver finishes the oldest N buffers and signals the event.
  void Finish(std::size_t n) {
    {
      std::lock_guard lock(mutex);
      for (std::size_t i = 0; i < n && !written.empty(); ++i) {
        written.front()->dwFlags |= WHDR_DONE;
        written.erase(written.begin());
      }
    }
    SetEvent(event);
  }
};

// Collects the ids handed back, from whichever thread.
class CDoneLog {
 public:
  void Add(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    ids_.push_back(id);
    cv_.notify_all();
  }
  // The ids once COUNT have come back (or what came within ten seconds).
  std::vector<std::uint64_t> WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::seconds(10), [&] { return ids_.size() >= count; });
    return ids_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<std::uint64_t> ids_;
};

std::vector<std::uint8_t> Samples(std::size_t n) { return std::vector<std::uint8_t>(n, 0x80); }

TEST(WaveOutAudio, BuffersComeBackInOrderWhenTheDriverIsDone) {
  CFakeWaveApi api;
  CDoneLog log;
  CWaveOutAudio audio(api);
  ASSERT_TRUE(audio.Open({22050, 16, 2}, [&](std::uint64_t id) { log.Add(id); }));
  EXPECT_EQ(api.format.nBlockAlign, 4);
  EXPECT_EQ(api.format.nAvgBytesPerSec, 88200u);
  const auto a = audio.Queue(Samples(64));
  const auto b = audio.Queue(Samples(64));
  const auto c = audio.Queue(Samples(64));
  ASSERT_NE(a, 0u);
  api.Finish(2);
  EXPECT_EQ(log.WaitFor(2), (std::vector<std::uint64_t>{a, b}));
  audio.Reset();  // the third comes back at once
  EXPECT_EQ(log.WaitFor(3), (std::vector<std::uint64_t>{a, b, c}));
  audio.Close();
  EXPECT_TRUE(api.closed);
  EXPECT_TRUE(api.prepared.empty());
}

TEST(WaveOutAudio, TheCallbackMayQueueAgainAsALoopingSoundDoes) {
  CFakeWaveApi api;
  CDoneLog log;
  CWaveOutAudio audio(api);
  std::atomic<int> requeued{0};
  ASSERT_TRUE(audio.Open({11025, 8, 1}, [&](std::uint64_t id) {
    if (requeued.fetch_add(1) < 3) audio.Queue(Samples(32));
    log.Add(id);
  }));
  audio.Queue(Samples(32));
  for (int i = 0; i < 4; ++i) {
    api.Finish(1);
    log.WaitFor(static_cast<std::size_t>(i + 1));
  }
  EXPECT_EQ(log.WaitFor(4), (std::vector<std::uint64_t>{1, 2, 3, 4}));
  audio.Close();
  EXPECT_TRUE(api.prepared.empty());
}

TEST(WaveOutAudio, RefusalsLeaveNothingBehind) {
  CFakeWaveApi api;
  CWaveOutAudio audio(api);
  EXPECT_FALSE(audio.Open({22050, 24, 1}, {}));  // no such PCM format here
  api.openResult = MMSYSERR_BADDEVICEID;
  EXPECT_FALSE(audio.Open({22050, 16, 1}, {}));
  EXPECT_EQ(audio.Queue(Samples(16)), 0u);  // not open
  api.openResult = MMSYSERR_NOERROR;
  ASSERT_TRUE(audio.Open({22050, 16, 1}, {}));
  api.writeResult = MMSYSERR_NOMEM;
  EXPECT_EQ(audio.Queue(Samples(16)), 0u);
  EXPECT_TRUE(api.prepared.empty());  // a refused buffer is unprepared again
  EXPECT_EQ(audio.Queue({}), 0u);
}

}  // namespace
}  // namespace zentory
