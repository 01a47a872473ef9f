#include "platform/win32/winmm_midi.h"

#include <list>
#include <mutex>

#include "base/wide_text_win32.h"

namespace zentory {

namespace {

constexpr UINT kHeaderSize = sizeof(MIDIHDR);
// How long a close waits for the driver to hand back its buffers after the reset: 200 pauses.
constexpr int kCloseWaits = 200;

class CSystemWinMidiApi : public IWinMidiApi {
 public:
  UINT GetNumDevs() override { return midiOutGetNumDevs(); }
  bool GetDevName(UINT id, std::string& name) override {
    MIDIOUTCAPSW caps{};
    if (midiOutGetDevCapsW(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
    name = Utf8FromWide(caps.szPname);
    return true;
  }
  MMRESULT Open(HMIDIOUT* out, UINT id) override {
    return midiOutOpen(out, id, 0, 0, CALLBACK_NULL);
  }
  MMRESULT ShortMsg(HMIDIOUT out, DWORD message) override { return midiOutShortMsg(out, message); }
  MMRESULT PrepareHeader(HMIDIOUT out, MIDIHDR* header) override {
    return midiOutPrepareHeader(out, header, kHeaderSize);
  }
  MMRESULT LongMsg(HMIDIOUT out, MIDIHDR* header) override {
    return midiOutLongMsg(out, header, kHeaderSize);
  }
  MMRESULT UnprepareHeader(HMIDIOUT out, MIDIHDR* header) override {
    return midiOutUnprepareHeader(out, header, kHeaderSize);
  }
  MMRESULT Reset(HMIDIOUT out) override { return midiOutReset(out); }
  MMRESULT Close(HMIDIOUT out) override { return midiOutClose(out); }
  void Pause() override { Sleep(1); }
};

// One system exclusive message on its way: the header and the bytes it points at live together,
// at a fixed address, until the driver is done with them.
struct Buffer {
  MIDIHDR header{};
  std::vector<std::uint8_t> bytes;
};

class CWinMidiPort : public IMidiPort {
 public:
  CWinMidiPort(IWinMidiApi& api, HMIDIOUT handle) : api_(api), handle_(handle) {}
  ~CWinMidiPort() override {
    std::lock_guard lock(mutex_);
    // The reset hands back every buffer still queued; none is freed before the driver let go.
    if (!queued_.empty()) api_.Reset(handle_);
    for (int i = 0; i < kCloseWaits && !queued_.empty(); ++i) {
      Reap();
      if (!queued_.empty()) api_.Pause();
    }
    if (!queued_.empty()) {
      // A driver that never lets go keeps its buffers: leaking them is safe, freeing is not. A
      // moved list keeps its elements where they are.
      static_cast<void>(std::make_unique<std::list<Buffer>>(std::move(queued_)).release());
    }
    api_.Close(handle_);
  }
  CWinMidiPort(const CWinMidiPort&) = delete;
  CWinMidiPort& operator=(const CWinMidiPort&) = delete;

  bool ShortMessage(std::uint32_t message) override {
    std::lock_guard lock(mutex_);
    return api_.ShortMsg(handle_, message) == MMSYSERR_NOERROR;
  }

  bool SysEx(std::span<const std::uint8_t> data) override {
    if (data.empty()) return false;
    std::lock_guard lock(mutex_);
    Reap();
    Buffer& b = queued_.emplace_back();
    b.bytes.assign(data.begin(), data.end());
    b.header.lpData = reinterpret_cast<LPSTR>(b.bytes.data());
    b.header.dwBufferLength = static_cast<DWORD>(b.bytes.size());
    b.header.dwBytesRecorded = b.header.dwBufferLength;
    if (api_.PrepareHeader(handle_, &b.header) != MMSYSERR_NOERROR) {
      queued_.pop_back();  // never handed to the driver
      return false;
    }
    if (api_.LongMsg(handle_, &b.header) != MMSYSERR_NOERROR) {
      // Not queued: the driver has it only as prepared.
      api_.UnprepareHeader(handle_, &b.header);
      queued_.pop_back();
      return false;
    }
    return true;
  }

  bool Reset() override {
    std::lock_guard lock(mutex_);
    const bool ok = api_.Reset(handle_) == MMSYSERR_NOERROR;
    Reap();
    return ok;
  }

 private:
  // Unprepares and frees the buffers the driver has marked done, in any order.
  void Reap() {
    for (auto it = queued_.begin(); it != queued_.end();) {
      if ((it->header.dwFlags & MHDR_DONE) != 0 &&
          api_.UnprepareHeader(handle_, &it->header) == MMSYSERR_NOERROR) {
        it = queued_.erase(it);
      } else {
        ++it;
      }
    }
  }
  std::mutex mutex_;
  IWinMidiApi& api_;
  HMIDIOUT handle_;
  std::list<Buffer> queued_;  // a list: a buffer's address stays while others come and go
};

}  // namespace

IWinMidiApi& SystemWinMidiApi() {
  static CSystemWinMidiApi api;
  return api;
}

CWinMidiOutput::CWinMidiOutput(IWinMidiApi& api) : api_(api) {}

int CWinMidiOutput::DeviceCount() { return static_cast<int>(api_.GetNumDevs()); }

std::vector<std::string> CWinMidiOutput::DeviceNames() {
  std::vector<std::string> names;
  const UINT count = api_.GetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    std::string name;
    if (!api_.GetDevName(id, name)) name = "MIDI " + std::to_string(id);
    names.push_back(name);
  }
  return names;
}

std::unique_ptr<IMidiPort> CWinMidiOutput::Open(int id) {
  if (id < -1 || id >= DeviceCount()) return nullptr;
  HMIDIOUT handle = nullptr;
  MMRESULT result = api_.Open(&handle, id == -1 ? MIDI_MAPPER : static_cast<UINT>(id));
  if (result != MMSYSERR_NOERROR && id == -1) result = api_.Open(&handle, 0);
  if (result != MMSYSERR_NOERROR) return nullptr;
  return std::make_unique<CWinMidiPort>(api_, handle);
}

}  // namespace zentory
