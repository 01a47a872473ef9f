#include "song/smf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "song/event_names.h"
#include "song/load_song.h"
#include "song/smf_reader.h"
#include "song/smf_test_util.h"
#include "support/temp_dir.h"
#include "support/testdata.h"

namespace zentory {
namespace {

using namespace smftest;
namespace fs = std::filesystem;

// A new song as the editor makes it: master track and 16 channel tracks, note form, 480.
std::unique_ptr<CMidi1Data> NewSong() {
  auto song = std::make_unique<CMidi1Data>();
  for (int i = 0; i < 17; ++i) {
    auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
    t->AppendEndOfTrack(0);
    song->AppendTrack(std::move(t));
  }
  song->resolution = 480;
  song->state = song_state::kNoteForm;
  return song;
}

// The body of the chunk of track INDEX in FILE.
Bytes ChunkBody(const Bytes& file, int index) {
  std::size_t at = 14;
  for (int i = 0; i < index; ++i) at += 8 + smf::PeekBe32(file, at + 4);
  const auto n = static_cast<std::ptrdiff_t>(smf::PeekBe32(file, at + 4));
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at) + 8,
               file.begin() + static_cast<std::ptrdiff_t>(at) + 8 + n);
}

std::vector<std::string> Listing(const CMidi1Data& song) {
  std::vector<std::string> lines;
  for (const auto& t : song.Tracks()) {
    std::int64_t tick = 0;
    lines.push_back("track");
    for (const CMusicEvent& e : t->Events()) {
      tick += e.delta;
      lines.push_back(std::to_string(tick) + "\t" + GetEventName(e));
    }
  }
  return lines;
}

class SmfWriterTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.File(name); }

  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
  test_support::TempDir dir_;
};

TEST_F(SmfWriterTest, NewSongAndEventBytes) {
  auto song = NewSong();
  Bytes file = EncodeSong(*song);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), Header(1, 17, 480));
  EXPECT_EQ(ChunkBody(file, 16), (Bytes{0x00, 0xFF, 0x2F, 0x00}));

  CMidiTrack& master = *song->Track(0);
  master.SetTempoAt(0, 500000);
  master.InsertMetaTextAtTime(0, ev::kMetaText, std::string(200, 'a'));
  CMidiTrack& t1 = *song->Track(1);
  t1.InsertEventAtTime(0, MakeNoteEvent(0, 0, 60, 480, 100), CMidiTrack::kAfter);
  CMusicEvent pressure;
  pressure.status = ev::kChannelPressure;
  pressure.channel = 0;
  pressure.value = 33;
  t1.InsertEventAtTime(480, std::move(pressure), CMidiTrack::kAfter);
  file = EncodeSong(*song);

  const Bytes master0 = ChunkBody(file, 0);
  EXPECT_EQ(Bytes(master0.begin(), master0.begin() + 7),
            (Bytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
  EXPECT_EQ(Bytes(master0.begin() + 7, master0.begin() + 12),
            (Bytes{0x00, 0xFF, 0x01, 0x81, 0x48}));
  // Note as on/off pair, release velocity 64, no running status; pressure in two bytes.
  EXPECT_EQ(ChunkBody(file, 1), (Bytes{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0x40, 0x00, 0xD0,
                                       33, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(box_.Boxes(), (std::vector<std::string>{
                              "MDTK0D000028 データ追加に異常が発生しました。",
                              "MDTK0D00000B サイズが大きすぎるイベントが含まれています。"}));
}

TEST_F(SmfWriterTest, LongDeltasWideChannelsAndStoredSysEx) {
  CMidiTrack track(CDataBuff::kStandardCapacity, CMidiTrack::kRawForm);
  CMusicEvent cc;
  cc.status = ev::kControlChange;
  cc.channel = 16;  // does not fit a status byte: its low four bits
  cc.type = 7;
  cc.value = 300;  // data bytes never carry a status bit
  cc.delta = 2097152;
  track.Events().push_back(cc);
  CMusicEvent poly;  // moved to channel 3 after it was read: the fields decide
  poly.status = ev::kPolyPressure;
  poly.channel = 2;
  poly.key = 60;
  poly.value = 16;
  const Bytes read = {0xA0, 60, 16};
  poly.SetData(read);
  track.Events().push_back(poly);
  CMusicEvent sx;
  sx.status = ev::kSysEx;
  const Bytes running = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};  // read without a length
  sx.SetData(running);
  track.Events().push_back(sx);
  CMusicEvent odd;
  odd.status = 0x60;  // no such event: skipped, its delta passes on
  odd.delta = 5;
  track.Events().push_back(odd);
  track.Events().push_back(MakeEndOfTrack(1));
  Bytes out;
  EncodeTrackChunk(track, out);
  EXPECT_EQ(Bytes(out.begin() + 8, out.end()),
            (Bytes{0x81, 0x80, 0x80, 0x00, 0xB0, 7,    127,  0x00, 0xA2, 60,   16,  0x00,
                   0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x06, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(box_.Boxes(),
            (std::vector<std::string>{"MDTK0D000003 チャネルに誤りがあります。",
                                      "MDTK0D000002 未定義のMIDIイベントが含まれていました。"}));
  // What was written reads back with the same times.
  CMidiTrack back;
  ReadTrackChunk(out, 0, back, ChunkReadOptions{});
  ASSERT_EQ(back.EventCount(), 4);
  EXPECT_EQ(back.Event(0).delta, 2097152);
  EXPECT_EQ(back.Event(3).delta, 6);
  EXPECT_EQ(back.Event(2).type, sysex::kGmSystemOn);
}

// A note-form track is encoded straight from its notes; the bytes must be those of its raw form
// built by ToRawForm: note-offs before the first event at or after their end, later notes' first
// at a tick, note-offs before note-ons at a tick, dropped notes passing on their delta, an
// end-of-track moved to the end.
TEST_F(SmfWriterTest, NoteTracksEncodeAsTheirRawForm) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> pick(0, 99), small(0, 3), delta(1, 200), key(0, 127),
      len(1, 600), vel(1, 127), ch(0, 15);
  for (int round = 0; round < 200; ++round) {
    CMidi1Data song;
    song.resolution = 480;
    song.state = song_state::kNoteForm;
    for (int track = 0; track < 3; ++track) {
      auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
      const int n = pick(rng);
      for (int i = 0; i < n; ++i) {
        const int p = pick(rng);
        const int d = small(rng) == 0 ? delta(rng) : 0;
        const int c = ch(rng) % 3;
        if (p < 60) {
          // Some notes without length or velocity, some of negative length.
          const int length = p < 5 ? 0 : p < 8 ? -small(rng) - 1 : len(rng) % (small(rng) * 60 + 2);
          t->Events().push_back(MakeNoteEvent(d, c, key(rng) % 4 + 60, length,
                                              p < 10 ? 0u : static_cast<std::uint32_t>(vel(rng))));
        } else if (p < 70) {
          CMusicEvent e(d);
          e.status = p < 65 ? ev::kNoteOn : ev::kNoteOff;
          e.channel = c;
          e.key = 60 + small(rng);
          e.velocity = static_cast<std::uint32_t>(vel(rng));
          t->Events().push_back(std::move(e));
        } else if (p < 85) {
          t->AppendControlChange(c, 7, vel(rng));
          t->Events().back().delta = d;
        } else if (p < 90) {
          CMusicEvent gone(d);  // a deleted event left in the list
          t->Events().push_back(std::move(gone));
        } else if (p < 95) {
          t->Events().push_back(MakeEndOfTrack(d));
        } else {
          const std::uint8_t text[] = {'m'};
          t->AppendMeta(d, ev::kMetaMarker, text);
          t->Events().back().delta = d;
        }
      }
      if (small(rng) != 0) t->AppendEndOfTrack(small(rng) * 100);
      song.AppendTrack(std::move(t));
    }
    const Bytes got = EncodeSong(song);
    Bytes want(got.begin(), got.begin() + 14);
    for (const auto& t : song.Tracks()) {
      CMidiTrack raw(*t);
      raw.ToRawForm();
      EncodeTrackChunk(raw, want);
    }
    ASSERT_EQ(got, want) << "round " << round;
  }
}

TEST_F(SmfWriterTest, SaveReplacesTheSongWithWhatTheFileHolds) {
  auto song = NewSong();
  CMidiTrack& t1 = *song->Track(1);
  t1.InsertEventAtTime(0, MakeNoteEvent(0, 0, 60, 480, 100), CMidiTrack::kAfter);
  t1.InsertEventAtTime(240, MakeNoteEvent(0, 0, 60, 480, 90), CMidiTrack::kAfter);
  t1.Events().pop_back();   // no end-of-track: the file gets one all the same
  song->Track(2)->Clear();  // an empty track still gives its chunk
  ASSERT_TRUE(SaveSong(*song, Path("a.mid")));
  EXPECT_EQ(song->state, song_state::kNoteForm);
  ASSERT_EQ(song->TrackCount(), 17);
  EXPECT_EQ(song->Track(1)->Event(0).status, ev::kNote);
  EXPECT_TRUE(song->Track(1)->Events().back().IsEndOfTrack());
  EXPECT_TRUE(song->Track(2)->Events().back().IsEndOfTrack());

  // A save that cannot be written says so and keeps the song as it was.
  const std::vector<std::string> before = Listing(*song);
  EXPECT_FALSE(SaveSong(*song, Path("missing/dir/a.mid")));
  EXPECT_EQ(Listing(*song), before);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "GENE01000007");
}

TEST_F(SmfWriterTest, BigTracksAreNeitherCutNorLimitedOnReadBack) {
  auto song = NewSong();
  CMidiTrack& t = *song->Track(1);
  t.Clear();
  const int notes = 80000;  // 160,000 raw events in one track, well past one standard block
  t.Events().reserve(notes + 1);
  for (int i = 0; i < notes; ++i)
    t.Events().push_back(MakeNoteEvent(i == 0 ? 0 : 10, 3, 60, 5, 100));
  t.AppendEndOfTrack(10);
  ASSERT_TRUE(SaveSong(*song, Path("big.mid")));
  EXPECT_TRUE(box_.Boxes().empty());
  EXPECT_EQ(song->Track(1)->EventCount(), notes + 1);
  EXPECT_EQ(song->Track(1)->GetLengthTicks(), std::int64_t{notes} * 10);
  // A user's file with that many events meets the track limit on load, with its message.
  ASSERT_TRUE(LoadSongFile(Path("big.mid")).song);
  EXPECT_EQ(box_.Boxes(), (std::vector<std::string>{"MDTK0D000006 データの量が多すぎます。"}));
}

// Loading, saving and loading again keeps every public edge-case file as the first load read it.
TEST_F(SmfWriterTest, ConvertedEdgeCaseFilesReadBackUnchanged) {
  ZENTORY_TESTDATA_OR_SKIP(dir, "midi");
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".mid") continue;
    LoadedSong first = LoadSongFile(entry.path().string());
    if (!first.song) continue;
    const std::vector<std::string> loaded = Listing(*first.song);
    ASSERT_TRUE(SaveSong(*first.song, Path("c.mid"))) << entry.path();
    EXPECT_EQ(Listing(*first.song), loaded) << entry.path();
    LoadedSong second = LoadSongFile(Path("c.mid"));
    ASSERT_TRUE(second.song) << entry.path();
    std::vector<std::string> reread = Listing(*second.song);
    // A format-0 file had no master volume fix-up; the format-1 file it became gets one.
    const std::string volume = "0\tマスターボリューム 127";
    const auto added = std::find(reread.begin(), reread.end(), volume);
    if (added != reread.end() && std::find(loaded.begin(), loaded.end(), volume) == loaded.end()) {
      reread.erase(added);
    }
    EXPECT_TRUE(reread == loaded) << entry.path();
  }
}

}  // namespace
}  // namespace zentory
