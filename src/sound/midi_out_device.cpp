#include "sound/midi_out_device.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace zentory {

namespace {
// A machine without any MIDI output is told so once per run, not at every preview and play.
std::atomic<bool> g_noDeviceReportDue{true};
}  // namespace

void RearmNoMidiDeviceReport() { g_noDeviceReportDue.store(true); }

CMidiOutDevice::CMidiOutDevice(IMidiOutput* output, int id, ReportRoute route)
    : route_(std::move(route)) {
  if (!output) return;
  if (output->DeviceCount() <= 0) {
    if (g_noDeviceReportDue.exchange(false)) Report(mdct::kOpenFailed);
    return;
  }
  port_ = output->Open(id);
  // Another port is never taken instead: it may be one that makes no sound at all.
  if (!port_) Report(mdct::kOpenFailed);
}

CMidiOutDevice::CMidiOutDevice(std::unique_ptr<IMidiPort> port, ReportRoute route)
    : port_(std::move(port)), route_(std::move(route)) {}

CMidiOutDevice::~CMidiOutDevice() { CloseDevice(); }

void CMidiOutDevice::Report(ErrorCode code) const {
  RouteReport(route_, MdctModule().Format(code));
}

void CMidiOutDevice::CloseDevice(bool ringOut) {
  if (!port_) return;
  port_->SetDueTime(-1);
  if (!(ringOut ? port_->ResetAfterEnd() : port_->Reset())) Report(mdct::kCloseFailed);
  port_.reset();
}

void CMidiOutDevice::SetDueTime(std::int64_t dueUs) {
  if (port_) port_->SetDueTime(dueUs);
}

bool CMidiOutDevice::SendShort(int data2, int data1, int status) {
  if (!port_) return false;
  return port_->ShortMessage(static_cast<std::uint32_t>(status & 0xFF) |
                             static_cast<std::uint32_t>(data1 & 0xFF) << 8 |
                             static_cast<std::uint32_t>(data2 & 0xFF) << 16);
}

bool CMidiOutDevice::SendNoteOn(int key, int velocity, int channel) {
  return SendShort(std::min(velocity & 0xFF, 127), key, 0x90 + (channel & 0x0F));
}

bool CMidiOutDevice::SendNoteOff(int key, int channel) {
  return SendShort(0, key, 0x80 + (channel & 0x0F));
}

bool CMidiOutDevice::SendProgramChange(int program, int channel) {
  if (SendShort(0, program, 0xC0 + (channel & 0x0F))) return true;
  Report(mdct::kProgramChange);
  return false;
}

bool CMidiOutDevice::SendControlChange(int value, int controller, int channel) {
  return SendShort(value, controller, 0xB0 + (channel & 0x0F));
}

bool CMidiOutDevice::SendGmSystemOn() {
  static constexpr std::uint8_t kStored[] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  return SendSysEx(kStored);
}

std::span<const std::uint8_t> SysExPayload(std::span<const std::uint8_t> stored) {
  if (stored.size() < 2) return {};
  // The length is a variable-length quantity: every byte with the top bit set is followed by
  // another one. A length of 128 or more takes two bytes or more.
  std::size_t i = 1;
  while (i < stored.size() && (stored[i] & 0x80) != 0) ++i;
  ++i;
  if (i > stored.size()) return {};
  return stored.subspan(i);
}

bool CMidiOutDevice::SendSysEx(int storedLength, const std::uint8_t* stored) {
  if (!port_) return false;
  if (!stored || storedLength < 2) {
    Report(mdct::kSysEx);
    return false;
  }
  std::span<const std::uint8_t> all(stored, static_cast<std::size_t>(storedLength));
  std::span<const std::uint8_t> payload = SysExPayload(all);
  if (payload.empty()) {
    Report(mdct::kSysEx);
    return false;
  }
  if (all[0] != 0xF0) return port_->SysEx(payload);
  std::vector<std::uint8_t> message;
  message.reserve(payload.size() + 1);
  message.push_back(0xF0);
  message.insert(message.end(), payload.begin(), payload.end());
  return port_->SysEx(message);
}

}  // namespace zentory
