#include "song/smf_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "song/load_song.h"
#include "song/smf_test_util.h"
#include "support/testdata.h"

namespace zentory {
namespace {

using namespace smftest;

std::int32_t CountStatus(const CMidiTrack& t, std::int32_t status) {
  std::int32_t n = 0;
  for (const CMusicEvent& e : t.Events()) n += e.status == status ? 1 : 0;
  return n;
}

const Bytes kScale = Cat({{0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0x40}, kEnd});

class SmfReaderTest : public ::testing::Test {
 protected:
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(SmfReaderTest, WrappersAndHeaderRefusals) {
  const Bytes file = Cat({Header(1, 2, 480), Chunk(kEnd), Chunk(kScale)});
  Bytes mac(128, 0x11);
  mac.insert(mac.end(), file.begin(), file.end());
  LoadedSong plain = LoadSongFromBytes(file);
  LoadedSong wrapped = LoadSongFromBytes(mac);
  ASSERT_TRUE(plain.song && wrapped.song);
  EXPECT_EQ(wrapped.song->Track(0)->EventCount(), plain.song->Track(0)->EventCount());
  EXPECT_TRUE(box_.Boxes().empty());
  // Division 0 would divide by zero: it is 480, so the quarter note stays 480 ticks long.
  LoadedSong zero = LoadSongFromBytes(Cat({Header(1, 2, 0), Chunk(kEnd), Chunk(kScale)}));
  ASSERT_TRUE(zero.song);
  EXPECT_EQ(zero.song->Track(1)->Event(1).length, 480);
  // Time-code division: 25 frames of 40 ticks are 1000 ticks a second, 500 a beat at 120 BPM.
  EXPECT_EQ(ReadFormat1(Cat({Header(1, 2, 0xE728), Chunk(kEnd), Chunk(kScale)}))->resolution, 500);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "M1DT03000024");

  const std::pair<Bytes, std::string> refused[] = {
      {{}, "M1DT03000004"},
      {{'R', 'I', 'F', 'F', 0, 0, 0, 4}, "M1DT03000004"},
      {Cat({Header(3, 1, 480), Chunk(kScale)}), "M1DT03000002"},
      {Cat({Header(1, 0, 480)}), "M1DT03000001"},
      {{'M', 'T', 'h', 'd'}, "M1DT03000001"},  // bytes past the end read as zero
  };
  for (const auto& [bytes, code] : refused) {
    box_.Clear();
    EXPECT_FALSE(LoadSongFromBytes(bytes).song) << code;
    ASSERT_EQ(box_.Boxes().size(), 1u) << code;
    EXPECT_EQ(box_.Boxes()[0].substr(0, 12), code);
  }
}

TEST_F(SmfReaderTest, TrackCountRulesAndChunkKinds) {
  // 70 counted tracks: the count error, then the first 32.
  Bytes many = Header(1, 70, 480);
  for (int i = 0; i < 70; ++i) many = Cat({many, Chunk(kEnd)});
  LoadedSong loaded = LoadSongFromBytes(many);
  ASSERT_TRUE(loaded.song);
  EXPECT_EQ(loaded.song->TrackCount(), 32);
  EXPECT_EQ(box_.Boxes(), (std::vector<std::string>{"M1DT03000001 トラック数のエラーです。"}));

  // Fewer chunks than counted: the tracks that are there, and the message.
  box_.Clear();
  loaded = LoadSongFromBytes(Cat({Header(1, 3, 480), Chunk(kEnd), Chunk(kScale, "XFIH")}));
  ASSERT_TRUE(loaded.song);
  EXPECT_EQ(loaded.song->TrackCount(), 2);
  EXPECT_EQ(CountStatus(*loaded.song->Track(1), ev::kNote), 1);  // XFIH is read as events
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0], "M1DT00000000 Midiのフォーマット１のデータでエラーが発生しました。");

  // Chunks of other kinds are passed over by their lengths and are none of the counted tracks; a
  // header longer than six bytes keeps its extra bytes.
  box_.Clear();
  Bytes header = Header(1, 2, 480);
  header[7] = 8;
  header.insert(header.end(), {0xAA, 0xBB});
  loaded = LoadSongFromBytes(Cat({header, Chunk({1, 2, 3}, "Junk"), Chunk(kEnd),
                                  Chunk({0x90, 0x80}, "Junk"), Chunk(kScale, "XFKM")}));
  ASSERT_TRUE(loaded.song);
  EXPECT_EQ(loaded.song->TrackCount(), 2);
  EXPECT_EQ(CountStatus(*loaded.song->Track(1), ev::kNote), 1);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "M1DT03000020");
}

TEST_F(SmfReaderTest, NotesPairAsTheRawFormConversionPairsThem) {
  // Two notes of key 121 overlap; a velocity-0 note-on of key 249 ends none of them.
  const Bytes body = {0x00, 0x90, 121, 100, 0x10, 0x90, 121, 90, 0x10, 0x90, 0xF9, 0,
                      0x10, 0x80, 121, 0,   0x10, 0x90, 121, 0,  0x00, 0x90, 60,   1};
  for (const bool direct : {true, false}) {
    CMidiTrack track;
    ChunkReadOptions options;
    options.noteForm = direct;
    ReadTrackChunk(Chunk(body), 0, track, options);
    if (!direct) track.ToNoteForm();
    ASSERT_EQ(track.EventCount(), 2) << direct;  // the unended note 60 is gone
    EXPECT_EQ(track.Event(0).length, 48);
    EXPECT_EQ(track.Event(1).length, 48);
    EXPECT_EQ(track.Event(1).delta, 16);
  }
}

TEST_F(SmfReaderTest, MasterVolumeFixUp) {
  const Bytes master = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00};
  LoadedSong loaded =
      LoadSongFromBytes(Cat({Header(1, 3, 480), Chunk(master), Chunk(kEnd), Chunk(kScale)}));
  ASSERT_TRUE(loaded.song);
  const CMusicEvent& first = loaded.song->Track(2)->Event(0);
  EXPECT_EQ(first.status, ev::kSysEx);
  EXPECT_EQ(first.type, sysex::kMasterVolume);
  EXPECT_EQ(first.value, 127);
  EXPECT_EQ(CountStatus(*loaded.song->Track(0), ev::kSysEx), 0);
  EXPECT_TRUE(box_.Boxes().empty());

  const Bytes volume = {0x00, 0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7};
  const Bytes twice = Cat({volume, volume, kEnd});
  loaded = LoadSongFromBytes(
      Cat({Header(1, 3, 480), Chunk(twice), Chunk(Cat({volume, kEnd})), Chunk(kScale)}));
  ASSERT_TRUE(loaded.song);
  EXPECT_EQ(box_.Boxes(),
            (std::vector<std::string>{"MDTK0D000011 複数のマスターボリュームが設定されています。",
                                      "M1DT03000006 マスターボリュームが複数設定されています。"}));
  EXPECT_EQ(CountStatus(*loaded.song->Track(2), ev::kSysEx), 0);
}

TEST_F(SmfReaderTest, LongEventsWarnOncePerFileNotOncePerEvent) {
  Bytes sysex = {0x00, 0xF0, 0x82, 0x2D};  // 301 bytes follow the length quantity
  sysex.insert(sysex.end(), 300, 0x11);
  sysex.push_back(0xF7);
  LoadedSong loaded = LoadSongFromBytes(
      Cat({Header(1, 2, 480), Chunk(kEnd), Chunk(Cat({sysex, sysex, sysex, kScale}))}));
  ASSERT_TRUE(loaded.song);
  // Three read, one master volume added by the fix-up.
  EXPECT_EQ(CountStatus(*loaded.song->Track(1), ev::kSysEx), 4);
  EXPECT_EQ(
      box_.Boxes(),
      (std::vector<std::string>{"MDTK0D00000B サイズが大きすぎるイベントが含まれています。"}));
}

TEST_F(SmfReaderTest, FormatZeroIsSplitByChannel) {
  const Bytes body = Cat({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo -> master
                           0x00, 0xFF, 0x58, 0x04, 6,    3,    24,   8,    0x00, 0x90,
                           60,   100,  0x00, 0x91, 62,   100,  0x00, 0x99, 36,   100,
                           0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,  // sysex -> track 1
                           0x83, 0x60, 0x80, 60,   0,    0x00, 0x81, 62,   0,    0x00,
                           0x89, 36,   0},
                          kEnd});
  LoadedSong loaded = LoadSongFromBytes(Cat({Header(0, 1, 240), Chunk(body)}));
  ASSERT_TRUE(loaded.song);
  CMidi1Data& song = *loaded.song;
  ASSERT_EQ(song.TrackCount(), 17);
  EXPECT_EQ(song.resolution, 480);
  EXPECT_EQ(song.Track(0)->Event(0).type, ev::kMetaTempo);
  EXPECT_EQ(song.Track(1)->GetChannel(), 0);
  EXPECT_EQ(song.Track(2)->GetChannel(), 1);
  EXPECT_EQ(song.Track(10)->GetChannel(), 9);
  EXPECT_EQ(CountStatus(*song.Track(1), ev::kSysEx), 1);
  EXPECT_EQ(song.Track(10)->Event(0).length, 960);  // 480 ticks at 240 become 960 at 480
  ASSERT_EQ(loaded.timeSignatures.size(), 1u);
  EXPECT_EQ(loaded.timeSignatures[0].numerator, 6);
  EXPECT_EQ(loaded.timeSignatures[0].power, 3);
  for (const auto& t : song.Tracks()) EXPECT_EQ(t->GetLengthTicks(), 960);
}

TEST_F(SmfReaderTest, LargeFormatZeroFileIsNotCutAtTheStandardBlock) {
  Bytes body;
  for (int i = 0; i < 60000; ++i) {
    smf::AppendBytes(body, {0x00, 0x90, 60, 100, 0x10, 0x80, 60, 0});
  }
  body = Cat({body, kEnd});
  ASSERT_GT(body.size(), std::size_t{0x60000});
  LoadedSong loaded = LoadSongFromBytes(Cat({Header(0, 1, 480), Chunk(body)}));
  ASSERT_TRUE(loaded.song);
  EXPECT_EQ(CountStatus(*loaded.song->Track(1), ev::kNote), 60000);
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(SmfReaderTest, PublicEdgeCaseFiles) {
  namespace fs = std::filesystem;
  ZENTORY_TESTDATA_OR_SKIP(dir, "midi");
  const std::map<std::string, int> expectedNotes = {
      {"test-c-major-scale.mid", 8},
      {"test-vlq-4-byte.mid", 8},
      {"test-running-status-sysex.mid", 8},  // the scale goes on after the sysex
      {"test-non-midi-track.mid", 8},        // the unknown chunk is passed over
      {"test-corrupt-file-extra-byte.mid", 8},
      {"test-corrupt-file-missing-byte.mid", 0},  // the chunk reaches past the file
      {"test-illegal-message-f1-xx.mid", 8},      // the stray bytes are passed over
      {"test-illegal-message-all.mid", 8},
      {"test-2-tracks-type-0.mid", 16},
      {"test-2-tracks-type-1.mid", 16},
      {"test-2-tracks-type-2.mid", 16},
      {"test-not-a-midi-file.mid", -1},
  };
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".mid") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoadedSong loaded = LoadSongFromBytes(bytes);
    const std::string name = entry.path().filename().string();
    int notes = -1;
    if (loaded.song) {
      notes = 0;
      for (const auto& t : loaded.song->Tracks()) {
        notes += CountStatus(*t, ev::kNote);
        EXPECT_TRUE(t->IsEmpty() || t->Events().back().IsEndOfTrack()) << name;
      }
    }
    if (auto it = expectedNotes.find(name); it != expectedNotes.end()) {
      EXPECT_EQ(notes, it->second) << name;
    }
  }
  EXPECT_EQ(files, 72);
}

}  // namespace
}  // namespace zentory
