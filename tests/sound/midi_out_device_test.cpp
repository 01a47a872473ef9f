#include "sound/midi_out_device.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MidiOutDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { RearmNoMidiDeviceReport(); }
  FakeMessageBox box;
  ScopedMessageBoxTarget scope{&box};
  FakeMidiOutput output;
};

TEST_F(MidiOutDeviceTest, ShortMessagesArePackedAndClamped) {
  CMidiOutDevice d(&output);
  ASSERT_TRUE(d.IsOpen());
  d.SendNoteOn(60, 200, 3);
  d.SendNoteOn(60, 0, 3);
  d.SendNoteOff(60, 3);
  d.SendProgramChange(0x105, 9);  // one byte of each argument
  d.SendControlChange(100, 7, 15);
  auto m = output.Messages();
  ASSERT_EQ(m.size(), 5u);
  EXPECT_EQ(m[0].bytes, (Bytes{0x93, 60, 127}));
  EXPECT_EQ(m[1].bytes, (Bytes{0x93, 60, 0}));
  EXPECT_EQ(m[2].bytes, (Bytes{0x83, 60, 0}));
  EXPECT_EQ(m[3].bytes, (Bytes{0xC9, 0x05}));
  EXPECT_EQ(m[4].bytes, (Bytes{0xBF, 7, 100}));
  EXPECT_TRUE(box.Boxes().empty());
}

TEST_F(MidiOutDeviceTest, SysExSkipsTheWholeLengthAndSendsLongMessagesWhole) {
  CMidiOutDevice d(&output);
  EXPECT_TRUE(d.SendGmSystemOn());
  // 300 message bytes: the length 300 takes two bytes (0x82 0x2C), which must not be sent.
  Bytes stored{0xF0, 0x82, 0x2C};
  for (int i = 0; i < 299; ++i) stored.push_back(static_cast<std::uint8_t>(i & 0x7F));
  stored.push_back(0xF7);
  EXPECT_TRUE(d.SendSysEx(stored));
  // An 0xF7 event goes out without its F7 and length.
  EXPECT_TRUE(d.SendSysEx(Bytes{0xF7, 0x03, 0x43, 0x12, 0xF7}));
  auto m = output.Messages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  ASSERT_EQ(m[1].bytes.size(), 301u);
  EXPECT_EQ(m[1].bytes[0], 0xF0);
  EXPECT_EQ(m[1].bytes[1], 0x00);
  EXPECT_EQ(m[1].bytes.back(), 0xF7);
  EXPECT_EQ(m[2].bytes, (Bytes{0x43, 0x12, 0xF7}));
  // A stored form that ends inside its length sends nothing and says so.
  EXPECT_FALSE(d.SendSysEx(Bytes{0xF0, 0x81}));
  EXPECT_EQ(output.Messages().size(), 3u);
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0].rfind("MDCT07000004 ", 0), 0u);
}

TEST_F(MidiOutDeviceTest, NoDeviceIsToldOnceAndAFailedPortEveryTimeWithoutFallback) {
  output.names.clear();
  {
    CMidiOutDevice a(&output);
    CMidiOutDevice b(&output);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_FALSE(b.SendNoteOn(60, 100, 0));
  }
  EXPECT_EQ(box.Boxes().size(), 1u);
  output.names = {"Midi Through", "Synth"};
  output.failOpen = true;
  CMidiOutDevice c(&output, 1);
  CMidiOutDevice d(&output, 1);
  EXPECT_FALSE(c.IsOpen());
  EXPECT_EQ(output.OpenPorts(), 0);  // no other port was opened in its place
  auto boxes = box.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].rfind("MDCT07000001 Midiデバイスのオープンに失敗しました。", 0), 0u);
}

TEST_F(MidiOutDeviceTest, ReportsOfSendsTakeTheRouteAndCloseStopsSending) {
  std::vector<std::string> routed;
  CMidiOutDevice d(&output, -1, [&](const std::string& t) { routed.push_back(t); });
  d.SetDueTime(1234);
  d.SendNoteOn(1, 2, 0);
  EXPECT_EQ(output.Messages()[0].dueUs, 1234);
  EXPECT_FALSE(d.SendSysEx(Bytes{0xF0}));
  EXPECT_EQ(routed.size(), 1u);
  EXPECT_TRUE(box.Boxes().empty());
  d.CloseDevice();
  EXPECT_FALSE(d.IsOpen());
  EXPECT_EQ(output.OpenPorts(), 0);
  EXPECT_FALSE(d.SendNoteOff(1, 0));
}

}  // namespace
}  // namespace zentory
