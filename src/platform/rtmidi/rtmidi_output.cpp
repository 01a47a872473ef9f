#include "platform/rtmidi/rtmidi_output.h"

#include <rtmidi/RtMidi.h>

#include <filesystem>
#include <mutex>

namespace zentory {

namespace {

constexpr const char* kClientName = "Zentory";

class CRtMidiPort : public IMidiPort {
 public:
  explicit CRtMidiPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}
  ~CRtMidiPort() override {
    try {
      out_->closePort();
    } catch (const RtMidiError&) {
    }
  }
  bool ShortMessage(std::uint32_t message) override {
    const std::uint8_t status = static_cast<std::uint8_t>(message);
    const std::size_t n = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
    const std::uint8_t bytes[3] = {status, static_cast<std::uint8_t>(message >> 8),
                                   static_cast<std::uint8_t>(message >> 16)};
    return Send(bytes, n);
  }
  bool SysEx(std::span<const std::uint8_t> data) override {
    return !data.empty() && Send(data.data(), data.size());
  }
  bool Reset() override {
    bool ok = true;
    for (std::uint8_t ch = 0; ch < 16; ++ch) {
      const std::uint8_t soundOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 120, 0};
      const std::uint8_t notesOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 123, 0};
      const std::uint8_t controllers[3] = {static_cast<std::uint8_t>(0xB0 | ch), 121, 0};
      ok = Send(soundOff, 3) && Send(notesOff, 3) && Send(controllers, 3) && ok;
    }
    return ok;
  }

 private:
  bool Send(const std::uint8_t* bytes, std::size_t n) {
    // The editor's preview ends its notes on the timer thread while the key thread may send;
    // the library's encoder behind one port is not safe for two threads at once.
    std::lock_guard lock(mutex_);
    try {
      out_->sendMessage(bytes, n);
      return true;
    } catch (const RtMidiError&) {
      return false;
    }
  }
  std::mutex mutex_;
  std::unique_ptr<RtMidiOut> out_;
};

constexpr const char* kSequencerDevice = "/dev/snd/seq";

std::unique_ptr<RtMidiOut> MakeOut(std::string* error) {
  // Without the sequencer device the library would print its failure before throwing it.
  std::error_code ec;
  if (!std::filesystem::exists(kSequencerDevice, ec)) {
    if (error) *error = std::string("no ") + kSequencerDevice;
    return nullptr;
  }
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
    out->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {}, nullptr);
    return out;
  } catch (const RtMidiError& e) {
    if (error) *error = e.getMessage();
    return nullptr;
  }
}

}  // namespace

CRtMidiOutput::CRtMidiOutput() {
  auto out = MakeOut(&error_);
  if (!out) return;
  try {
    const unsigned count = out->getPortCount();
    for (unsigned i = 0; i < count; ++i) names_.push_back(out->getPortName(i));
  } catch (const RtMidiError& e) {
    error_ = e.getMessage();
    names_.clear();
  }
}

int CRtMidiOutput::DeviceCount() { return static_cast<int>(names_.size()); }

std::vector<std::string> CRtMidiOutput::DeviceNames() { return names_; }

std::unique_ptr<IMidiPort> CRtMidiOutput::Open(int id) {
  if (id == -1) id = 0;
  if (id < 0 || id >= DeviceCount()) return nullptr;
  auto out = MakeOut(nullptr);
  if (!out) return nullptr;
  try {
    // Ports may have come or gone since the list was read: open by name when it moved.
    const unsigned count = out->getPortCount();
    unsigned index = static_cast<unsigned>(id);
    const std::string& wanted = names_[static_cast<std::size_t>(id)];
    if (index >= count || out->getPortName(index) != wanted) {
      index = count;
      for (unsigned i = 0; i < count; ++i) {
        if (out->getPortName(i) == wanted) index = i;
      }
      if (index == count) return nullptr;
    }
    out->openPort(index, kClientName);
  } catch (const RtMidiError&) {
    return nullptr;
  }
  return std::make_unique<CRtMidiPort>(std::move(out));
}

}  // namespace zentory
