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

TEST(SmfRunningStatus, SurvivesMetaEventsAndFollowsSystemExclusive) {
  const Bytes body = {0x00, 0x91, 60,   100,  0x10, 61,   0,         // velocity 0: note-off
                      0x00, 0xFF, 0x01, 0x01, 'x',  0x00, 62,   90,  // still 0x91
                      0x00, 0xF8, 0x10,                              // 0xF8 is a data byte
                      0x00, 0xF0, 0x03, 0x43, 0x10, 0xF7, 0x00, 0x7E, 0x7F, 0xF7,  // sysex again
                      0x00, 0x40, 0x7F};                                           // never ends
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 7u);
  EXPECT_EQ(p.events[1].status, 0x80);
  EXPECT_EQ(p.data[1], (Bytes{0x91, 61, 0}));
  EXPECT_EQ(p.events[3].channel, 1);
  EXPECT_EQ(p.events[3].key, 62);
  EXPECT_EQ(p.events[4].key, 0);  // a key above 127 and its velocity become 0
  EXPECT_EQ(p.events[4].velocity, 0u);
  EXPECT_EQ(p.data[6], (Bytes{0xF0, 0x7E, 0x7F, 0xF7}));
  EXPECT_EQ(p.last, TrackTokenizer::Step::kStopped);
  EXPECT_EQ(g_reports, (std::vector<ErrorCode>{0x0D000017, 0x0D000001}));

  EXPECT_EQ(Parse({0x00, 0xF1, 0x7F, 0x00, 0x90, 60, 100}).events.size(), 0u);
  EXPECT_EQ(g_reports, (std::vector<ErrorCode>{0x0D000002}));
}

TEST(SmfLengths, MetaLengthsTypesAndValueRepairs) {
  const Bytes body = {0x00, 0xFF, 0x51, 0x09, 0,    0,    0,      // length byte ignored
                      0x00, 0xFF, 0x58, 0x04, 3,    0,    24, 8,  // 3/1 -> 4/4
                      0x00, 0xFF, 0x00, 0x02, 0x12, 0x34,         // zero bytes
                      0x00, 0xFF, 0x09, 0x02, 'a',  'b',          // type 9 -> 4
                      0x00, 0xFF, 0x06, 0x00,                     // empty text
                      0x05, 0xFF, 0x21, 0x01, 0x00,               // dropped later
                      0x00, 0xC0, 0x85};                          // program 0
  const Parsed p = Parse(body);
  ASSERT_EQ(p.events.size(), 7u);
  EXPECT_EQ(p.events[0].value, 500000);
  EXPECT_EQ(p.data[0], (Bytes{0, 0, 0}));
  EXPECT_EQ(p.events[1].value, 1028);
  EXPECT_EQ(p.data[1], (Bytes{4, 2, 24, 8}));
  EXPECT_EQ(p.data[2], (Bytes{0, 0}));
  EXPECT_EQ(p.events[3].type, 4u);
  EXPECT_EQ(p.data[4], (Bytes{0}));
  EXPECT_EQ(p.events[5].status, 0);
  EXPECT_EQ(p.events[6].value, 0);
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
