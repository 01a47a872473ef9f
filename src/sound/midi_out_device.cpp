#include "sound/midi_out_device.h"

#include <algorithm>

namespace zentory {

CMidiOutDevice::CMidiOutDevice(IMidiOutput* output, int id) {
  if (output) port_ = output->Open(id);
}

CMidiOutDevice::CMidiOutDevice(std::unique_ptr<IMidiPort> port) : port_(std::move(port)) {}

CMidiOutDevice::~CMidiOutDevice() { CloseDevice(); }

void CMidiOutDevice::CloseDevice() {
  if (!port_) return;
  port_->Reset();
  port_.reset();
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
  return SendShort(0, program, 0xC0 + (channel & 0x0F));
}

bool CMidiOutDevice::SendControlChange(int value, int controller, int channel) {
  return SendShort(value, controller, 0xB0 + (channel & 0x0F));
}

}  // namespace zentory
