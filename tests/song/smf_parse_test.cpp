#include "song/smf_parse.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentory::smf {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<ErrorCode> g_reports;
int Capture(ErrorCode code) {
  g_reports.push_back(code);
  return 1;
}

struct Parsed {
  std::vector<RawEvent> events;
  std::vector<Bytes> data;
  TrackTokenizer::Step last;
};

Parsed Parse(const Bytes& body) {
  g_reports.clear();
  TrackTokenizer t(body, TickLimitFor(480), &Capture);
  Parsed p;
  RawEvent e;
  while ((p.last = t.Next(e)) == TrackTokenizer::Step::kEvent) {
    p.events.push_back(e);
    p.data.emplace_back(e.DataLength());
    e.CopyData(p.data.back().data());
  }
  return p;
}

TEST(SmfVlq, FourByteQuantitiesAreNotTruncated) {
  const std::pair<std::uint32_t, Bytes> cases[] = {{127, {0x7F}},
                                                   {480, {0x83, 0x60}},
                                                   {16384, {0x81, 0x80, 0x00}},
                                                   {2097152, {0x81, 0x80, 0x80, 0x00}},
                                                   {kMaxVlq + 5, {0xFF, 0xFF, 0xFF, 0x7F}}};
  for (const auto& [value, bytes] : cases) {
    Bytes out;
    AppendVlq(out, value);
    EXPECT_EQ(out, bytes) << value;
  }
}

// Running status goes on across meta and system exclusive events (said, as the format cancels it
// there) and across system messages that have no place in a file, which are passed over with
// their data bytes.
TEST(SmfRunningStatus, GoesOnAcrossSystemEventsAndStrayBytes) {
  const Bytes body = {0x00, 0x91, 60,   100,  0x10, 61,   0,       // velocity 0: note-off
                      0x00, 0xFF, 0x01, 0x01, 'x',  0x00, 62, 90,  // still 0x91
                      0x00, 0xF8,                                  // real time: no data
                      0x00, 0xF1, 0x7F,                            // quarter frame: one
                      0x00, 0xF2, 0x01, 0x02,                      // song position: two
                      0x00, 63,   90,                              // still 0x91
                      0x00, 0xF0, 0x03, 0x43, 0x10, 0xF7,          // system exclusive
                      0x00, 100,  80,                              // 0x91 again, not 0xF0
                      0x00, 0x90, 0xC8, 0x40,                      // key above 127
                      0x00, 0xF0, 0x01, 0x02};                     // never ends
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 11u);
  EXPECT_EQ(p.events[1].status, 0x80);
  EXPECT_EQ(p.data[1], (Bytes{0x91, 61, 0}));
  EXPECT_EQ(p.events[3].key, 62);
  for (const std::size_t i : {4u, 5u, 6u}) EXPECT_EQ(p.events[i].status, 0) << i;
  EXPECT_EQ(p.events[7].key, 63);
  EXPECT_EQ(p.events[7].channel, 1);
  EXPECT_EQ(p.data[8], (Bytes{0xF0, 0x03, 0x43, 0x10, 0xF7}));
  EXPECT_EQ(p.data[9], (Bytes{0x91, 100, 80}));
  EXPECT_EQ(p.events[10].key, 0);  // a key above 127 and its velocity become 0
  EXPECT_EQ(p.events[10].velocity, 0u);
  EXPECT_EQ(p.last, TrackTokenizer::Step::kStopped);
  EXPECT_EQ(g_reports, (std::vector<ErrorCode>{0x0D00002A, 0x0D000029, 0x0D000029, 0x0D000029,
                                               0x0D00002A, 0x0D000017, 0x0D000001}));

  EXPECT_EQ(Parse({0x00, 0xF1, 0x7F, 0x00, 0x90, 60, 100}).events.size(), 2u);
  EXPECT_TRUE(Parse({0x00, 0x40, 0x7F}).events.empty());  // no status to go on with
  EXPECT_EQ(g_reports, (std::vector<ErrorCode>{0x0D000002}));
}

TEST(SmfLengths, MetaPayloadsAreKeptAndTheirLengthsHonoured) {
  const Bytes body = {0x00, 0xFF, 0x51, 0x00,                        // tempo 0 bytes
                      0x00, 0xFF, 0x58, 0x04, 3,    0,    24, 8,     // 3/1 -> 4/4
                      0x00, 0xFF, 0x00, 0x02, 0x12, 0x34,            // sequence number
                      0x00, 0xFF, 0x00, 0x00,                        // ... without bytes
                      0x00, 0xFF, 0x20, 0x01, 0x05,                  // channel prefix 5
                      0x00, 0xFF, 0x54, 0x05, 0x60, 1,    2,  3, 4,  // SMPTE offset
                      0x00, 0xFF, 0x09, 0x02, 'a',  'b',             // type 9 -> 4
                      0x00, 0xFF, 0x06, 0x00,                        // empty text
                      0x05, 0xFF, 0x21, 0x01, 0x00,                  // port, kept
                      0x00, 0xC0, 0x85};                             // program 0
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 10u);
  EXPECT_EQ(p.events[0].value, 500000);
  EXPECT_EQ(p.events[1].value, 1028);
  EXPECT_EQ(p.data[1], (Bytes{4, 2, 24, 8}));
  EXPECT_EQ(p.data[2], (Bytes{0x12, 0x34}));
  EXPECT_TRUE(p.data[3].empty());
  EXPECT_EQ(p.data[4], (Bytes{5}));
  EXPECT_EQ(p.data[5], (Bytes{0x60, 1, 2, 3, 4}));
  EXPECT_EQ(p.events[6].type, 4u);
  EXPECT_EQ(p.data[7], (Bytes{0}));
  EXPECT_EQ(p.events[8].status, 0xFF);
  EXPECT_EQ(p.data[8], (Bytes{0}));
  EXPECT_EQ(p.events[9].value, 0);
  EXPECT_EQ(g_reports, (std::vector<ErrorCode>{0x0D000005, 0x0D000027, 0x0D00000C}));
}

TEST(SmfTruncation, EveryLengthIsCheckedAgainstTheChunk) {
  const Bytes cuts[] = {{0x00, 0x90, 60},
                        {0x81},
                        {0x00},
                        {0x00, 0xFF},
                        {0x00, 0xFF, 0x51, 0x03},
                        {0x00, 0xFF, 0x01, 0x85},
                        {0x00, 0xFF, 0x01, 0x05},
                        {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F},
                        {0x00, 0xF7, 0x05, 1, 2},
                        {0x00, 0xF0, 0x05, 1, 2}};
  for (const Bytes& body : cuts) {
    EXPECT_EQ(Parse(body).last, TrackTokenizer::Step::kStopped);
    EXPECT_EQ(g_reports, (std::vector<ErrorCode>{0x0D000001}));
  }
}

TEST(SmfLimits, AbsoluteTimeIsBoundedAndLongQuantitiesSaturate) {
  Bytes body;
  for (int i = 0; i < 3; ++i) AppendBytes(body, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00});
  EXPECT_EQ(Parse(body).events.size(), 1u);
  EXPECT_TRUE(Parse({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x01, 0x00}).events.empty());
  EXPECT_EQ(TickLimitFor(0), TickLimitFor(480));
}

}  // namespace
}  // namespace zentory::smf
