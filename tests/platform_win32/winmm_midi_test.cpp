// The WinMM MIDI output against a driver of our own (wine has no MIDI device here): how messages
// are packed, which device opens, and how long a system exclusive buffer stays with the driver.
#include "platform/win32/winmm_midi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "sound/midi_out_device.h"

namespace zentory {
namespace {

constexpr UINT kMapper = MIDI_MAPPER;
HMIDIOUT HandleOf(UINT id) {
  return reinterpret_cast<HMIDIOUT>(static_cast<std::uintptr_t>(id) + 0x100);
}

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
  std::string out;
  char two[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(two, sizeof two, i ? " %02X" : "%02X", bytes[i]);
    out += two;
  }
  return out;
}

// A driver that holds system exclusive buffers until told to finish them (Finish, or a reset),
// as a real one does while the bytes go out at 31.25 kbit/s.
class FakeWinMidi : public IWinMidiApi {
 public:
  std::vector<std::string> devices{"Microsoft GS Wavetable Synth", "UM-ONE"};
  std::set<UINT> refused;  // device ids (kMapper too) that do not open
  bool resetFinishes = true;
  bool longMsgFails = false;
  std::vector<std::string> calls;
  std::vector<std::string> sent;  // every message, as the device got it
  int unprepareWhileQueued = 0;
  std::set<MIDIHDR*> prepared;

  UINT GetNumDevs() override { return static_cast<UINT>(devices.size()); }
  bool GetDevName(UINT id, std::string& name) override {
    if (id >= devices.size()) return false;
    name = devices[id];
    return true;
  }
  MMRESULT Open(HMIDIOUT* out, UINT id) override {
    calls.push_back(id == kMapper ? "open mapper" : "open " + std::to_string(id));
    if (refused.count(id)) return MMSYSERR_ALLOCATED;
    *out = HandleOf(id == kMapper ? 0 : id);
    return MMSYSERR_NOERROR;
  }
  MMRESULT ShortMsg(HMIDIOUT, DWORD message) override {
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(message));
    sent.push_back(text);
    return MMSYSERR_NOERROR;
  }
  MMRESULT PrepareHeader(HMIDIOUT, MIDIHDR* h) override {
    h->dwFlags |= MHDR_PREPARED;
    prepared.insert(h);
    return MMSYSERR_NOERROR;
  }
  MMRESULT LongMsg(HMIDIOUT, MIDIHDR* h) override {
    if ((h->dwFlags & MHDR_PREPARED) == 0) return MIDIERR_UNPREPARED;
    if (longMsgFails) return MMSYSERR_NOMEM;
    h->dwFlags = (h->dwFlags | MHDR_INQUEUE) & ~static_cast<DWORD>(MHDR_DONE);
    queued_[h] = Hex(reinterpret_cast<const std::uint8_t*>(h->lpData), h->dwBufferLength);
    return MMSYSERR_NOERROR;
  }
  MMRESULT UnprepareHeader(HMIDIOUT, MIDIHDR* h) override {
    if ((h->dwFlags & MHDR_INQUEUE) != 0) {
      ++unprepareWhileQueued;
      return MIDIERR_STILLPLAYING;
    }
    h->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
    prepared.erase(h);
    calls.push_back("unprepare");
    return MMSYSERR_NOERROR;
  }
  MMRESULT Reset(HMIDIOUT) override {
    calls.push_back("reset");
    if (resetFinishes) Finish();
    return MMSYSERR_NOERROR;
  }
  MMRESULT Close(HMIDIOUT) override {
    calls.push_back(prepared.empty() ? "close" : "close with buffers");
    return prepared.empty() ? MMSYSERR_NOERROR : MIDIERR_STILLPLAYING;
  }
  void Pause() override { ++pauses; }

  // The driver sends what it holds: the bytes must still be the ones it was given.
  void Finish() {
    for (auto& [h, bytes] : queued_) {
      sent.push_back(Hex(reinterpret_cast<const std::uint8_t*>(h->lpData), h->dwBufferLength));
      EXPECT_EQ(sent.back(), bytes) << "a buffer changed while the driver held it";
      h->dwFlags = (h->dwFlags | MHDR_DONE) & ~static_cast<DWORD>(MHDR_INQUEUE);
    }
    queued_.clear();
  }
  std::size_t Queued() const { return queued_.size(); }
  int pauses = 0;

 private:
  std::map<MIDIHDR*, std::string> queued_;
};

TEST(WinMidiOutput, ListsDevicesAndOpensTheOneAskedFor) {
  FakeWinMidi driver;
  CWinMidiOutput output(driver);
  EXPECT_EQ(output.DeviceCount(), 2);
  EXPECT_EQ(output.DeviceNames(), driver.devices);
  EXPECT_NE(output.Open(1), nullptr);
  EXPECT_EQ(output.Open(2), nullptr);  // not there: nothing else opens in its place
  EXPECT_EQ(output.Open(-2), nullptr);
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"open 1", "close"}));

  // The mapper first; device 0 when the mapper refuses; nothing when both do.
  driver.calls.clear();
  EXPECT_NE(output.Open(-1), nullptr);
  driver.refused = {kMapper};
  EXPECT_NE(output.Open(-1), nullptr);
  driver.refused = {kMapper, 0};
  EXPECT_EQ(output.Open(-1), nullptr);
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"open mapper", "close", "open mapper", "open 0",
                                                    "close", "open mapper", "open 0"}));
}

TEST(WinMidiOutput, ShortMessagesArePackedStatusFirst) {
  FakeWinMidi driver;
  CWinMidiOutput output(driver);
  CMidiOutDevice device(output.Open(0));
  ASSERT_TRUE(device.IsOpen());
  device.SendNoteOn(60, 200, 2);  // velocity above 127 goes as 127
  device.SendNoteOff(60, 2);
  device.SendProgramChange(5, 15);
  device.SendShort(0x40, 0x00, 0xE0);  // pitch bend centre: LSB then MSB
  EXPECT_EQ(driver.sent,
            (std::vector<std::string>{"007F3C92", "00003C82", "000005CF", "004000E0"}));
}

TEST(WinMidiOutput, SysExBuffersStayWithTheDriverUntilItIsDone) {
  FakeWinMidi driver;
  CWinMidiOutput output(driver);
  {
    CMidiOutDevice device(output.Open(0));
    ASSERT_TRUE(device.SendGmSystemOn());  // the stored form's length byte does not go out
    const std::vector<std::uint8_t> gs(100, 0x10);
    std::vector<std::uint8_t> stored{0xF0, 100};
    stored.insert(stored.end(), gs.begin(), gs.end());
    stored.back() = 0xF7;
    ASSERT_TRUE(device.SendSysEx(stored));
    // Neither buffer is done: neither may be unprepared or freed, however many follow.
    EXPECT_EQ(driver.Queued(), 2u);
    EXPECT_EQ(driver.prepared.size(), 2u);
    driver.Finish();
    EXPECT_EQ(driver.sent[0], "F0 7E 7F 09 01 F7");
    ASSERT_TRUE(device.SendGmSystemOn());  // the done ones are let go now
    EXPECT_EQ(driver.prepared.size(), 1u);
    // Closing resets first, which hands back the queued buffer; only then is it let go.
  }
  EXPECT_EQ(driver.unprepareWhileQueued, 0);
  EXPECT_TRUE(driver.prepared.empty());
  ASSERT_GE(driver.calls.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(driver.calls.end() - 3, driver.calls.end()),
            (std::vector<std::string>{"reset", "unprepare", "close"}));
}

TEST(WinMidiOutput, RefusedSysExIsTakenBackAndStuckBuffersAreNeverFreed) {
  FakeWinMidi driver;
  CWinMidiOutput output(driver);
  {
    auto port = output.Open(0);
    driver.longMsgFails = true;
    const std::uint8_t message[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_FALSE(port->SysEx(message));
    EXPECT_TRUE(driver.prepared.empty());  // prepared, refused, unprepared at once
    driver.longMsgFails = false;
    // A driver that keeps a buffer even after the reset: the port gives up waiting at close.
    driver.resetFinishes = false;
    EXPECT_TRUE(port->SysEx(message));
  }
  EXPECT_EQ(driver.unprepareWhileQueued, 0);
  EXPECT_GT(driver.pauses, 0);
  // The buffer the driver still holds is intact: it was not freed under it.
  driver.Finish();
  EXPECT_EQ(driver.sent.back(), "F0 7E 7F 09 01 F7");
}

}  // namespace
}  // namespace zentory
