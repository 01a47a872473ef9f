// Hand-made files that are damaged or unusual but still say what was meant: the reader takes what
// they say, says once what it did, and the writer gives every byte back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "song/load_song.h"
#include "song/smf_test_util.h"
#include "song/smf_writer.h"

namespace zentory {
namespace {

using namespace smftest;

struct NoteAt {
  std::int64_t tick;
  std::int32_t key;
  std::int32_t length;
  bool operator==(const NoteAt&) const = default;
};

std::vector<NoteAt> NotesOf(const CMidiTrack& t) {
  std::vector<NoteAt> notes;
  std::int64_t tick = 0;
  for (const CMusicEvent& e : t.Events()) {
    tick += e.delta;
    if (e.status == ev::kNote) notes.push_back({tick, e.key, e.length});
  }
  return notes;
}

class SmfLenientTest : public ::testing::Test {
 protected:
  // The codes of the boxes shown so far, each with its count suffix.
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (const std::string& b : box_.Boxes()) codes.push_back(b.substr(0, 12));
    return codes;
  }

  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(SmfLenientTest, NoteOnsWithoutNoteOffAreKept) {
  // Eight drum hits without note-offs, then one with a note-off: the first hit keeps that far
  // note-off, every other hit ends at the next one, and the last at the end of its track.
  Bytes body = {0x00, 0x99, 36, 100};
  for (int i = 1; i < 9; ++i) smf::AppendBytes(body, {0x83, 0x24, 0x99, 36, 100});  // 420 apart
  smf::AppendBytes(body, {0x78, 0x89, 36, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  LoadedSong loaded = LoadSongFromBytes(Cat({Header(1, 2, 480), Chunk(kEnd), Chunk(body)}));
  ASSERT_TRUE(loaded.song);
  std::vector<NoteAt> want = {{0, 36, 3480}};
  for (int i = 1; i < 8; ++i) want.push_back({420 * i, 36, 420});
  want.push_back({3360, 36, 120});
  EXPECT_EQ(NotesOf(*loaded.song->Track(1)), want);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"MDTK0D00002B"}));

  // The player and the file get a note-off for each of them.
  CMidiTrack raw(*loaded.song->Track(1));
  ASSERT_TRUE(raw.ToRawForm());
  int offs = 0;
  for (const CMusicEvent& e : raw.Events()) offs += e.status == ev::kNoteOff ? 1 : 0;
  EXPECT_EQ(offs, 9);
}

TEST_F(SmfLenientTest, FormatsAndNotesInTheFirstTrack) {
  const Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
  const Bytes ch0 = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0};
  const Bytes ch1 = {0x00, 0x91, 62, 100, 0x81, 0x70, 0x81, 62, 0};
  const Bytes sysex = {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

  // Format 0 with two tracks: merged, then split by channel as a one-track file.
  LoadedSong loaded =
      LoadSongFromBytes(Cat({Header(0, 2, 480), Chunk(Cat({tempo, ch0, kEnd})), Chunk(ch1)}));
  ASSERT_TRUE(loaded.song);
  ASSERT_EQ(loaded.song->TrackCount(), 17);
  EXPECT_EQ(loaded.song->Track(0)->Event(0).type, ev::kMetaTempo);
  EXPECT_EQ(NotesOf(*loaded.song->Track(1)), (std::vector<NoteAt>{{0, 60, 480}}));
  EXPECT_EQ(NotesOf(*loaded.song->Track(2)), (std::vector<NoteAt>{{0, 62, 240}}));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"M1DT03000021"}));

  // Format 2 is read as format 1. Channel events of the first track go to tracks of their own
  // right after it; the master track keeps its meta and system exclusive events.
  box_.Clear();
  const Bytes first = Cat({tempo, sysex, ch1, ch0, kEnd});
  loaded = LoadSongFromBytes(Cat({Header(2, 2, 480), Chunk(first), Chunk(Cat({ch0, kEnd}))}));
  ASSERT_TRUE(loaded.song);
  const CMidi1Data& song = *loaded.song;
  ASSERT_EQ(song.TrackCount(), 4);
  EXPECT_EQ(song.Track(0)->GetChannel(), 255);
  EXPECT_EQ(song.Track(0)->EventCount(), 3);  // tempo, sysex, end of track
  EXPECT_EQ(song.Track(0)->Event(1).status, ev::kSysEx);
  EXPECT_EQ(song.Track(1)->GetChannel(), 0);
  EXPECT_EQ(NotesOf(*song.Track(1)), (std::vector<NoteAt>{{240, 60, 480}}));
  EXPECT_EQ(song.Track(2)->GetChannel(), 1);
  EXPECT_EQ(song.Track(3)->GetChannel(), 0);
  for (std::int32_t i = 0; i < 3; ++i) {  // the split tracks end where the master track ends
    EXPECT_TRUE(song.Track(i)->Events().back().IsEndOfTrack());
    EXPECT_EQ(song.Track(i)->GetLengthTicks(), 720);
  }
  EXPECT_EQ(Codes(), (std::vector<std::string>{"M1DT03000022", "M1DT03000023"}));
}

TEST_F(SmfLenientTest, MetaBytesComeBackAsRead) {
  const Bytes master = {0x00, 0xFF, 0x00, 0x02, 0x00, 0x07,                    // sequence number
                        0x00, 0xFF, 0x20, 0x01, 0x05,                          // channel prefix
                        0x00, 0xFF, 0x54, 0x05, 0x60, 0x01, 0x02, 0x03, 0x04,  // SMPTE offset
                        0x00, 0xFF, 0x21, 0x01, 0x02,                          // port
                        0x00, 0xFF, 0x7F, 0x03, 0x43, 0x7B, 0x01,              // sequencer specific
                        0x00, 0xFF, 0x2F, 0x00};
  const Bytes notes = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0x40, 0x00, 0xFF, 0x2F, 0x00};
  LoadedSong loaded = LoadSongFromBytes(Cat({Header(1, 2, 480), Chunk(master), Chunk(notes)}));
  ASSERT_TRUE(loaded.song);
  EXPECT_TRUE(box_.Boxes().empty());
  const Bytes saved = EncodeSong(*loaded.song);
  const Bytes chunk0(saved.begin() + 14,
                     saved.begin() + 22 + static_cast<std::ptrdiff_t>(master.size()));
  EXPECT_EQ(chunk0, Chunk(master));
}

TEST_F(SmfLenientTest, OneBoxPerKindOfProblemPerLoad) {
  Bytes body;
  for (int i = 0; i < 2000; ++i) {
    smf::AppendBytes(body, {0x00, 0xFF, 0x51, 0x03, 0, 0, 0, 0x00, 0xC0, 0x80, 0x00, 0xF4});
  }
  body = Cat({body, kEnd});
  LoadedSong loaded = LoadSongFromBytes(Cat({Header(0, 1, 480), Chunk(body)}));
  ASSERT_TRUE(loaded.song);
  EXPECT_EQ(
      box_.Boxes(),
      (std::vector<std::string>{
          "MDTK0D000005 テンポに誤りがあります。 他 1999 件",
          "MDTK0D00000C プログラム・チェンジで不正な番号がありました。0に調整しました。 他 1999 件",
          "MDTK0D000029 ファイルには置けないシステムメッセージを読み飛ばしました。",
      }));
}

}  // namespace
}  // namespace zentory
