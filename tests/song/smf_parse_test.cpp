#include "song/smf_parse.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentory::smf {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<ErrorCode>& Reports() {
  static std::vector<ErrorCode> reports;
  return reports;
}
int Capture(ErrorCode code) {
  Reports().push_back(code);
  return 1;
}

struct Parsed {
  std::vector<RawEvent> events;
  std::vector<Bytes> data;
  TrackTokenizer::Step last;
};

Parsed Parse(const Bytes& body, std::int64_t limit = TickLimitFor(480)) {
  Reports().clear();
  TrackTokenizer t(body, limit, &Capture);
  Parsed p;
  RawEvent e;
  while ((p.last = t.Next(e)) == TrackTokenizer::Step::kEvent) {
    p.events.push_back(e);
    Bytes d(e.DataLength());
    e.CopyData(d.data());
    p.data.push_back(d);
  }
  return p;
}

TEST(SmfVlq, EncodesStandardQuantitiesOfOneToFourBytes) {
  const std::pair<std::uint32_t, Bytes> cases[] = {
      {0, {0x00}},
      {127, {0x7F}},
      {128, {0x81, 0x00}},
      {480, {0x83, 0x60}},
      {16383, {0xFF, 0x7F}},
      {16384, {0x81, 0x80, 0x00}},
      {2097151, {0xFF, 0xFF, 0x7F}},
      {2097152, {0x81, 0x80, 0x80, 0x00}},  // not truncated to three bytes
      {kMaxVlq, {0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const auto& [value, bytes] : cases) {
    Bytes out;
    AppendVlq(out, value);
    EXPECT_EQ(out, bytes) << value;
    std::uint32_t back = 0;
    EXPECT_EQ(VlqSize(out, &back), out.size());
    EXPECT_EQ(back, value);
  }
  EXPECT_EQ(VlqSize(Bytes{0x81, 0x80}, nullptr), 0u);  // does not end inside the bytes
}

TEST(SmfProbe, ClassifiesTheFormatWordAndDropsAMacBinaryPrefix) {
  Bytes head = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 0x60};
  Bytes image = head;
  EXPECT_EQ(ProbeFormat(image), 1);
  image[9] = 0;
  EXPECT_EQ(ProbeFormat(image), 0);
  image[9] = 2;
  EXPECT_EQ(ProbeFormat(image), -1);
  image[8] = 1;
  image[9] = 0;
  EXPECT_EQ(ProbeFormat(image), -1);

  Bytes mac = head;
  mac.insert(mac.begin(), 128, 0x55);
  EXPECT_EQ(ProbeFormat(mac), 1);
  EXPECT_EQ(mac, head);

  Bytes tiny = {'M', 'T'};  // reads past the end see zeros
  EXPECT_EQ(ProbeFormat(tiny), 0);
}

TEST(SmfRunningStatus, DataBytesReuseTheLastStatusAcrossMetaEvents) {
  const Bytes body = {0x00, 0x91, 60,   100,        // note-on channel 1
                      0x10, 61,   0,                // running: velocity 0 -> note-off
                      0x00, 0xFF, 0x01, 0x01, 'x',  // meta keeps the running status
                      0x00, 62,   90,               // running 0x91 again
                      0x00, 0xFF, 0x2F, 0x00};
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 5u);
  EXPECT_EQ(p.events[1].status, 0x80);
  EXPECT_EQ(p.events[1].delta, 16);
  EXPECT_EQ(p.data[1], (Bytes{0x91, 61, 0}));  // the running status stands in front
  EXPECT_EQ(p.events[3].status, 0x90);
  EXPECT_EQ(p.events[3].channel, 1);
  EXPECT_EQ(p.events[3].key, 62);
  EXPECT_EQ(p.last, TrackTokenizer::Step::kEnd);
  EXPECT_TRUE(Reports().empty());
}

TEST(SmfRunningStatus, SystemExclusiveBecomesTheRunningStatus) {
  // After a system exclusive message a data byte starts another one, up to the next 0xF7.
  const Bytes body = {0x00, 0x90, 60,   100,  0x00, 0xF0, 0x03, 0x43, 0x10,
                      0xF7, 0x00, 0x7E, 0x7F, 0xF7, 0x00, 0x40, 0x7F};
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 3u);
  EXPECT_EQ(p.data[1], (Bytes{0xF0, 0x03, 0x43, 0x10, 0xF7}));
  EXPECT_EQ(p.data[2], (Bytes{0xF0, 0x7E, 0x7F, 0xF7}));
  // The last data bytes open a message that never ends: the chunk is given up.
  EXPECT_EQ(p.last, TrackTokenizer::Step::kStopped);
  EXPECT_EQ(Reports(), (std::vector<ErrorCode>{0x0D000001}));
}

TEST(SmfRunningStatus, SystemCommonBytesAreDataUnderRunningStatusOrUndefinedWithout) {
  Parsed p = Parse({0x00, 0x90, 60, 100, 0x00, 0xF8, 0x10});
  ASSERT_EQ(p.events.size(), 2u);
  EXPECT_EQ(p.events[1].key, 0);  // 0xF8 taken as a key above 127
  EXPECT_EQ(p.events[1].velocity, 0u);
  EXPECT_EQ(Reports(), (std::vector<ErrorCode>{0x0D000017}));

  p = Parse({0x00, 0xFF, 0x2F, 0x00, 0x00, 0xF1, 0x7F, 0x00, 0x90, 60, 100});
  EXPECT_EQ(p.events.size(), 1u);
  EXPECT_EQ(p.last, TrackTokenizer::Step::kStopped);
  EXPECT_EQ(Reports(), (std::vector<ErrorCode>{0x0D000002}));
}

TEST(SmfLengths, FixedMetaTypesIgnoreTheirLengthByte) {
  const Bytes body = {0x00, 0xFF, 0x51, 0x09, 0x07, 0xA1, 0x20,  // length byte 9 is not read
                      0x00, 0xFF, 0x58, 0x04, 6,    3,    24,   8,    0x00, 0xFF, 0x00, 0x02,
                      0x12, 0x34, 0x00, 0xFF, 0x59, 0x02, 0xFD, 0x01, 0x00, 0xFF, 0x2F, 0x00};
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 5u);
  EXPECT_EQ(p.events[0].value, 500000);
  EXPECT_EQ(p.data[0], (Bytes{0, 0, 0}));
  EXPECT_EQ(p.events[1].value, 6 * 256 + 8);
  EXPECT_EQ(p.data[1], (Bytes{6, 3, 24, 8}));
  EXPECT_EQ(p.data[2], (Bytes{0, 0}));  // sequence number: zero bytes
  EXPECT_EQ(p.data[3], (Bytes{0xFD, 0x01}));
  EXPECT_TRUE(p.data[4].empty());
}

TEST(SmfLengths, TextMetasTypeNineAndUnknownTypes) {
  const Bytes body = {0x00, 0xFF, 0x09, 0x02, 'a',  'b',  0x00, 0xFF, 0x06, 0x00,
                      0x05, 0xFF, 0x21, 0x01, 0x00, 0x00, 0xFF, 0x7F, 0x81, 0x00};
  Bytes full = body;
  full.insert(full.end(), 128, 0x11);
  const Parsed p = Parse(full);
  ASSERT_EQ(p.events.size(), 4u);
  EXPECT_EQ(p.events[0].type, 4u);
  EXPECT_EQ(p.data[0], (Bytes{'a', 'b'}));
  EXPECT_EQ(p.data[1], (Bytes{0}));  // an empty text is one zero byte
  EXPECT_EQ(p.events[2].status, 0);  // port meta vanishes
  EXPECT_EQ(p.events[2].delta, 5);
  EXPECT_EQ(p.data[3].size(), 128u);
}

TEST(SmfLengths, FaultyValuesAreReplaced) {
  const Bytes body = {0x00, 0xFF, 0x51, 0x03, 0,    0,    0,    0x00, 0xFF, 0x58, 0x04, 3,  0,
                      24,   8,    0x00, 0xC0, 0x85, 0x00, 0xFF, 0x58, 0x04, 0,    2,    24, 8};
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 4u);
  EXPECT_EQ(p.events[0].value, 500000);
  EXPECT_EQ(p.events[1].value, 1028);
  EXPECT_EQ(p.data[1], (Bytes{4, 2, 24, 8}));
  EXPECT_EQ(p.events[2].value, 0);
  EXPECT_EQ(p.events[3].value, 1028);
  EXPECT_EQ(Reports(), (std::vector<ErrorCode>{0x0D000005, 0x0D000027, 0x0D00000C, 0x0D000027}));
}

TEST(SmfTruncation, EveryLengthIsCheckedAgainstTheChunk) {
  const Bytes cuts[] = {
      {0x00, 0x90, 60},                // channel event short of a byte
      {0x81},                          // delta runs off the end
      {0x00},                          // delta without an event
      {0x00, 0xFF},                    // meta without a type
      {0x00, 0xFF, 0x51, 0x03, 0x07},  // fixed meta cut short
      {0x00, 0xFF, 0x01, 0x85},        // length quantity runs off
      {0x00, 0xFF, 0x01, 0x05, 'a'},   // payload longer than the chunk
      {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F},
      {0x00, 0xF7, 0x05, 1, 2},  // continuation longer than the chunk
      {0x00, 0xF0, 0x05, 1, 2},  // no 0xF7
  };
  for (const Bytes& body : cuts) {
    const Parsed p = Parse(body);
    EXPECT_EQ(p.last, TrackTokenizer::Step::kStopped);
    EXPECT_EQ(Reports(), (std::vector<ErrorCode>{0x0D000001}));
  }
}

TEST(SmfLimits, AbsoluteTimeIsBounded) {
  // Four-byte deltas of the largest value add up past the bound of a 480-tick track.
  Bytes body;
  for (int i = 0; i < 3; ++i) {
    body.insert(body.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00});
  }
  Parsed p = Parse(body);
  EXPECT_EQ(p.events.size(), 1u);
  EXPECT_EQ(p.last, TrackTokenizer::Step::kStopped);
  // An over-long quantity saturates instead of wrapping round to a small delta.
  p = Parse({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x01, 0x00});
  EXPECT_TRUE(p.events.empty());
  EXPECT_EQ(TickLimitFor(0), TickLimitFor(480));
  EXPECT_GT(TickLimitFor(960), TickLimitFor(480));
}

}  // namespace
}  // namespace zentory::smf
