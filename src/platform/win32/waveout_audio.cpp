#include "platform/win32/waveout_audio.h"

namespace zentory {

namespace {

class CSystemWinWaveApi : public IWinWaveApi {
 public:
  UINT GetNumDevs() override { return waveOutGetNumDevs(); }
  MMRESULT Open(HWAVEOUT* out, const WAVEFORMATEX& format, HANDLE doneEvent) override {
    return waveOutOpen(out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(doneEvent), 0,
                       CALLBACK_EVENT);
  }
  MMRESULT PrepareHeader(HWAVEOUT out, WAVEHDR* header) override {
    return waveOutPrepareHeader(out, header, sizeof(WAVEHDR));
  }
  MMRESULT Write(HWAVEOUT out, WAVEHDR* header) override {
    return waveOutWrite(out, header, sizeof(WAVEHDR));
  }
  MMRESULT UnprepareHeader(HWAVEOUT out, WAVEHDR* header) override {
    return waveOutUnprepareHeader(out, header, sizeof(WAVEHDR));
  }
  MMRESULT Reset(HWAVEOUT out) override { return waveOutReset(out); }
  MMRESULT Close(HWAVEOUT out) override { return waveOutClose(out); }
};

// The driver sets WHDR_DONE from its own thread.
bool IsDone(const WAVEHDR& header) {
  return (static_cast<const volatile DWORD&>(header.dwFlags) & WHDR_DONE) != 0;
}

}  // namespace

IWinWaveApi& SystemWinWaveApi() {
  static CSystemWinWaveApi api;
  return api;
}

CWaveOutAudio::CWaveOutAudio(IWinWaveApi& api) : api_(api) {}

CWaveOutAudio::~CWaveOutAudio() { Close(); }

bool CWaveOutAudio::Open(const AudioFormat& format, Done onDone) {
  Close();
  if (format.rate <= 0 || (format.bits != 8 && format.bits != 16) ||
      (format.channels != 1 && format.channels != 2)) {
    return false;
  }
  WAVEFORMATEX wfx{};
  wfx.wFormatTag = WAVE_FORMAT_PCM;
  wfx.nChannels = static_cast<WORD>(format.channels);
  wfx.nSamplesPerSec = static_cast<DWORD>(format.rate);
  wfx.wBitsPerSample = static_cast<WORD>(format.bits);
  wfx.nBlockAlign = static_cast<WORD>(format.channels * format.bits / 8);
  wfx.nAvgBytesPerSec = wfx.nSamplesPerSec * wfx.nBlockAlign;
  event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (event_ == nullptr) return false;
  if (api_.Open(&out_, wfx, event_) != MMSYSERR_NOERROR) {
    out_ = nullptr;
    CloseHandle(event_);
    event_ = nullptr;
    return false;
  }
  format_ = format;
  onDone_ = std::move(onDone);
  stop_.store(false);
  worker_ = std::thread([this] { Worker(); });
  return true;
}

std::uint64_t CWaveOutAudio::Queue(std::vector<std::uint8_t> samples) {
  if (out_ == nullptr || samples.empty()) return 0;
  auto buffer = std::make_unique<Buffer>();
  buffer->samples = std::move(samples);
  buffer->header.lpData = reinterpret_cast<LPSTR>(buffer->samples.data());
  buffer->header.dwBufferLength = static_cast<DWORD>(buffer->samples.size());
  Buffer* raw = buffer.get();
  std::lock_guard lock(mutex_);
  if (api_.PrepareHeader(out_, &raw->header) != MMSYSERR_NOERROR) return 0;
  if (api_.Write(out_, &raw->header) != MMSYSERR_NOERROR) {
    api_.UnprepareHeader(out_, &raw->header);
    return 0;
  }
  raw->id = nextId_++;
  queued_.push_back(std::move(buffer));
  return raw->id;
}

void CWaveOutAudio::DeliverDone() {
  std::lock_guard deliver(delivering_);
  for (;;) {
    std::unique_ptr<Buffer> buffer;
    {
      std::lock_guard lock(mutex_);
      if (queued_.empty() || !IsDone(queued_.front()->header)) return;
      buffer = std::move(queued_.front());
      queued_.pop_front();
    }
    api_.UnprepareHeader(out_, &buffer->header);
    if (onDone_) onDone_(buffer->id);
  }
}

void CWaveOutAudio::Worker() {
  while (!stop_.load()) {
    WaitForSingleObject(event_, INFINITE);
    if (stop_.load()) break;
    DeliverDone();
  }
}

void CWaveOutAudio::Reset() {
  if (out_ == nullptr) return;
  api_.Reset(out_);  // every written buffer is done now
  DeliverDone();
}

void CWaveOutAudio::Close() {
  if (out_ == nullptr) return;
  Reset();
  stop_.store(true);
  SetEvent(event_);
  if (worker_.joinable()) worker_.join();
  {
    // A buffer queued by the callback while the reset ran is stopped and unprepared too.
    std::lock_guard lock(mutex_);
    if (!queued_.empty()) api_.Reset(out_);
    for (auto& buffer : queued_) api_.UnprepareHeader(out_, &buffer->header);
    queued_.clear();
  }
  api_.Close(out_);
  out_ = nullptr;
  CloseHandle(event_);
  event_ = nullptr;
  onDone_ = nullptr;
}

}  // namespace zentory
