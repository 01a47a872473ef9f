// PCM output through WinMM (waveOut*): the background sound's stream. Buffers are written in the
// order queued; the driver marks each done, and a worker thread woken by the driver's event hands
// them back through the completion callback in that order, so the callback may queue again
// (WinMM forbids waveOut calls from its own callback).
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/ports/audio_output.h"

namespace zentory {

// The waveOut calls the stream makes, so that tests can stand in for a driver (wine has none here).
class IWinWaveApi {
 public:
  virtual ~IWinWaveApi() = default;
  virtual UINT GetNumDevs() = 0;
  // Opens the wave mapper for FORMAT; the driver signals DONEEVENT whenever a buffer is done.
  virtual MMRESULT Open(HWAVEOUT* out, const WAVEFORMATEX& format, HANDLE doneEvent) = 0;
  virtual MMRESULT PrepareHeader(HWAVEOUT out, WAVEHDR* header) = 0;
  virtual MMRESULT Write(HWAVEOUT out, WAVEHDR* header) = 0;
  virtual MMRESULT UnprepareHeader(HWAVEOUT out, WAVEHDR* header) = 0;
  // Stops at once and marks every written buffer done.
  virtual MMRESULT Reset(HWAVEOUT out) = 0;
  virtual MMRESULT Close(HWAVEOUT out) = 0;
};

// The real calls into winmm.dll.
IWinWaveApi& SystemWinWaveApi();

class CWaveOutAudio : public IAudioOutput {
 public:
  explicit CWaveOutAudio(IWinWaveApi& api = SystemWinWaveApi());
  ~CWaveOutAudio() override;  // closes
  CWaveOutAudio(const CWaveOutAudio&) = delete;
  CWaveOutAudio& operator=(const CWaveOutAudio&) = delete;

  bool Open(const AudioFormat& format, Done onDone) override;
  AudioFormat Format() const override { return format_; }
  std::uint64_t Queue(std::vector<std::uint8_t> samples) override;
  void Reset() override;
  void Close() override;

 private:
  struct Buffer {
    WAVEHDR header{};
    std::vector<std::uint8_t> samples;
    std::uint64_t id = 0;
  };
  void Worker();
  // Hands back the buffers at the front that the driver has finished, in order.
  void DeliverDone();

  IWinWaveApi& api_;
  AudioFormat format_;
  Done onDone_;
  HWAVEOUT out_ = nullptr;
  HANDLE event_ = nullptr;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;  // queued_ and nextId_
  std::deque<std::unique_ptr<Buffer>> queued_;
  std::uint64_t nextId_ = 1;
  // One thread hands buffers back at a time, so their order holds. Held while the callback runs:
  // the callback only queues (mutex_), never waits for the thread that resets or closes.
  std::recursive_mutex delivering_;
};

}  // namespace zentory
