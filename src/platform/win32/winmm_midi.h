// MIDI output through WinMM (midiOut*): ids 0..n-1 are the devices in the order Windows lists
// them; -1 is the MIDI mapper, with device 0 in its place when the mapper does not open.
//
// System exclusive messages go out from buffers the port owns: each stays prepared until the
// driver has marked it done (MHDR_DONE); only then is it unprepared and freed. A reset returns
// every buffer still queued, and closing waits for that.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

#include "base/ports/midi_port.h"

namespace zentory {

// The midiOut calls the port makes, so that tests can stand in for a driver (wine has none).
class IWinMidiApi {
 public:
  virtual ~IWinMidiApi() = default;
  virtual UINT GetNumDevs() = 0;
  // The device's name as UTF-8; false when Windows cannot say.
  virtual bool GetDevName(UINT id, std::string& name) = 0;
  virtual MMRESULT Open(HMIDIOUT* out, UINT id) = 0;
  virtual MMRESULT ShortMsg(HMIDIOUT out, DWORD message) = 0;
  virtual MMRESULT PrepareHeader(HMIDIOUT out, MIDIHDR* header) = 0;
  virtual MMRESULT LongMsg(HMIDIOUT out, MIDIHDR* header) = 0;
  virtual MMRESULT UnprepareHeader(HMIDIOUT out, MIDIHDR* header) = 0;
  virtual MMRESULT Reset(HMIDIOUT out) = 0;
  virtual MMRESULT Close(HMIDIOUT out) = 0;
  // Lets time pass while the driver finishes a buffer.
  virtual void Pause() = 0;
};

// The real calls into winmm.dll.
IWinMidiApi& SystemWinMidiApi();

class CWinMidiOutput : public IMidiOutput {
 public:
  explicit CWinMidiOutput(IWinMidiApi& api = SystemWinMidiApi());
  int DeviceCount() override;
  std::vector<std::string> DeviceNames() override;
  // Opens device ID (0..n-1), or with -1 the mapper (device 0 when the mapper fails).
  std::unique_ptr<IMidiPort> Open(int id) override;

 private:
  IWinMidiApi& api_;
};

}  // namespace zentory
