#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "song/midi_data.h"
#include "song/midi_track.h"
#include "song/music_event.h"
#include "song/song_errors.h"

namespace zentory {
namespace {

CMusicEvent Cc(std::int32_t delta, std::int32_t channel = 0, std::int32_t value = 0) {
  CMusicEvent e(delta);
  e.status = ev::kControlChange;
  e.channel = channel;
  e.value = value;
  return e;
}

// Statuses and deltas of a track, as "status@delta" tokens.
std::string Shape(const CMidiTrack& t) {
  std::string s;
  for (const CMusicEvent& e : t.Events()) {
    if (!s.empty()) s += ' ';
    s += (e.IsEndOfTrack() ? std::string("EOT")
                           : std::to_string(e.status) + "/" + std::to_string(e.value)) +
         "@" + std::to_string(e.delta);
  }
  return s;
}

TEST(MusicEvent, DataBlockKeepsSlackAndReportsMisuse) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  CMusicEvent e;
  EXPECT_EQ(e.GetByte(0), 0);  // no block
  e.SetByte(0, 1);             // no block: nothing written
  ASSERT_EQ(box.Boxes().size(), 2u);
  EXPECT_EQ(box.Boxes()[0], "MUEV06000002 イベントのデータでエラーが発生しました。");

  const std::uint8_t bytes[] = {1, 2, 3};
  e.SetData(bytes);
  EXPECT_EQ(e.DataLength(), 3);
  EXPECT_EQ(e.GetByte(3 + 7), 0);  // inside the 8 spare bytes
  EXPECT_EQ(e.GetByte(11), 0);     // past them
  EXPECT_EQ(e.GetByte(-1), 0);
  EXPECT_EQ(box.Boxes().size(), 4u);

  e.SetByte(40, 9);  // grows the block and keeps the data
  EXPECT_EQ(e.GetByte(40), 9);
  EXPECT_EQ(e.GetByte(2), 3);
  e.ResizeData(1);  // never below the data
  EXPECT_GE(e.BlockSize(), 3 + 8);
  EXPECT_EQ(e.GetByte(2), 3);

  // Deep copies, both for inline and for large blocks.
  std::vector<std::uint8_t> big(300, 0x55);
  box.Clear();
  CMusicEvent large;
  large.SetData(big);
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0].substr(0, 12), "MUEV06000001");
  EXPECT_EQ(large.DataLength(), 300);  // kept
  CMusicEvent copy = large;
  copy.MutableBlock()[0] = 1;
  EXPECT_EQ(large.GetByte(0), 0x55);
  CMusicEvent moved = std::move(copy);
  EXPECT_EQ(moved.GetByte(0), 1);
  // Setting the data from the event's own bytes.
  moved.SetData(moved.Data().subspan(1, 10));
  EXPECT_EQ(moved.DataLength(), 10);
  EXPECT_EQ(moved.GetByte(0), 0x55);
}

TEST(MusicEvent, SysExClasses) {
  auto classify = [](std::vector<std::uint8_t> bytes) {
    CMusicEvent e;
    e.status = ev::kSysEx;
    e.SetData(bytes);
    e.ClassifySysEx();
    return e;
  };
  CMusicEvent e = classify({0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7});
  EXPECT_EQ(e.type, 1u);
  EXPECT_EQ(e.value, 0x64);
  EXPECT_EQ(classify({0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).type, 9u);
  auto gs = [&](std::uint8_t a1, std::uint8_t a2, std::uint8_t a3) {
    return classify({0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, a1, a2, a3, 0x33, 0x00, 0xF7});
  };
  EXPECT_EQ(gs(0x40, 0x00, 0x04).value, 0x33);
  EXPECT_EQ(gs(0x00, 0x00, 0x7F).type, 19u);
  CMusicEvent drum = gs(0x40, 0x10, 0x15);
  EXPECT_EQ(drum.type, 18u);
  EXPECT_EQ(drum.channel, 9);
  EXPECT_EQ(gs(0x40, 0x11, 0x15).channel, 0);
  EXPECT_EQ(gs(0x40, 0x1A, 0x15).channel, 10);
  EXPECT_EQ(gs(0x40, 0x4F, 0x20).channel, 15);
  EXPECT_EQ(gs(0x40, 0x01, 0x36).type, 0u);
  EXPECT_EQ(gs(0x40, 0x01, 0x40).type, 41u);
  EXPECT_EQ(gs(0x40, 0x01, 0x5A).type, 64u);
  EXPECT_EQ(classify({0xF0, 0x07, 0x43, 0x79, 0x06, 0x7F, 0x01, 0x02, 0xF7}).type, 127u);
  // A two-byte message is tested at fixed positions without reading past its block.
  EXPECT_EQ(classify({0xF0, 0xF7}).type, 0u);
}

TEST(MidiTrack, InsertEventAtTimeModes) {
  CMidiTrack t(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  t.AddEvent(Cc(0, 0, 1));
  t.AddEvent(Cc(10, 0, 2));
  t.AddEvent(Cc(0, 0, 3));
  t.AddEvent(MakeEndOfTrack(20));
  CMidiTrack after = t, before = t, end = t, late = t;
  EXPECT_EQ(after.InsertEventAtTime(10, Cc(0, 0, 9), CMidiTrack::kAfter), 3);
  EXPECT_EQ(Shape(after), "176/1@0 176/2@10 176/3@0 176/9@0 EOT@20");
  EXPECT_EQ(before.InsertEventAtTime(10, Cc(0, 0, 9), CMidiTrack::kBefore), 1);
  EXPECT_EQ(Shape(before), "176/1@0 176/9@10 176/2@0 176/3@0 EOT@20");
  EXPECT_EQ(end.InsertEventAtTime(-1, Cc(0, 0, 9), CMidiTrack::kAfter), 3);
  EXPECT_EQ(Shape(end), "176/1@0 176/2@10 176/3@0 176/9@20 EOT@0");
  // Past the end: the event goes before the end-of-track, which moves to it.
  late.InsertEventAtTime(50, Cc(0, 0, 9), CMidiTrack::kAfter);
  EXPECT_EQ(Shape(late), "176/1@0 176/2@10 176/3@0 176/9@40 EOT@0");
  // Mode 1 at the end-of-track's own tick stays before it.
  CMidiTrack atEnd = t;
  atEnd.InsertEventAtTime(30, Cc(0, 0, 9), CMidiTrack::kAfter);
  EXPECT_EQ(Shape(atEnd), "176/1@0 176/2@10 176/3@0 176/9@20 EOT@0");
  // An end-of-track given for a later tick moves the existing one.
  CMidiTrack moved = t;
  moved.InsertEventAtTime(70, MakeEndOfTrack(0), CMidiTrack::kAfter);
  EXPECT_EQ(Shape(moved), "176/1@0 176/2@10 176/3@0 EOT@60");
  CMidiTrack empty;
  empty.InsertEventAtTime(5, Cc(0), CMidiTrack::kAfter);
  EXPECT_EQ(Shape(empty), "176/0@5");
}

TEST(MidiTrack, LimitsCompactAndEndOfTrack) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  CMidiTrack t;
  t.Events().resize(CMidiTrack::kMaxEvents);
  EXPECT_FALSE(t.AddEvent(Cc(0)));
  EXPECT_EQ(t.EventCount(), CMidiTrack::kMaxEvents);
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0], "MDTK0D000006 データの量が多すぎます。");

  CMidiTrack c;
  c.AddEvent(Cc(1, 0, 1));
  c.AddEvent(MakeEndOfTrack(2));
  c.AddEvent(Cc(3, 0, 2));
  c.AddEvent(Cc(4, 0, 3));
  c.Event(2).status = ev::kDeleted;
  c.Event(3).status = ev::kDeleted;
  c.Compact();  // the last deleted delta has nowhere to go
  EXPECT_EQ(Shape(c), "176/1@1 EOT@2");
  c.AddEvent(Cc(5, 0, 4));
  c.FixEndOfTrack();
  EXPECT_EQ(Shape(c), "176/1@1 176/4@7 EOT@0");
  c.AppendEndOfTrack(9);  // already ends with one
  EXPECT_EQ(c.EventCount(), 3);
  EXPECT_TRUE(c.DeleteEvent(1));
  EXPECT_EQ(Shape(c), "176/1@1 EOT@7");
  EXPECT_FALSE(c.InsertEvent(5, CMidiTrack::kBefore, Cc(0)));
  c.SwapEvents(0, 1);
  EXPECT_EQ(Shape(c), "EOT@1 176/1@7");

  // A master volume of 128 or more is reported and stored as 127, a valid data byte.
  box.Clear();
  c.InsertMasterVolume(200, 1);
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0].substr(0, 12), "MDTK0D000001");
  EXPECT_EQ(c.Event(1).type, 1u);
  EXPECT_EQ(c.Event(1).GetByte(7), 127);
}

TEST(MidiTrack, ChannelLengthAndSearches) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  CMidiTrack t(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  EXPECT_EQ(t.GetChannel(), 255);
  EXPECT_EQ(t.GetLengthTicks(), 0);
  CMusicEvent sx;
  sx.status = ev::kSysEx;
  sx.channel = 3;  // a part message's channel does not bind the track
  t.AddEvent(sx);
  t.AppendTempo(500000);
  EXPECT_EQ(t.GetChannel(), 255);
  t.AddEvent(MakeNoteEvent(10, 5, 60, 480, 100));
  t.AddEvent(MakeNoteEvent(0, 5, 64, 0, 100));  // no length: no note-off
  t.AddEvent(MakeNoteEvent(0, 5, 67, 900, 0));  // silent: dropped in raw form
  t.AddEvent(MakeEndOfTrack(20));
  EXPECT_EQ(t.GetChannel(), 5);
  EXPECT_EQ(t.GetLengthTicks(), 490);
  CMidiTrack raw = t;
  raw.ToRawForm();
  EXPECT_EQ(raw.GetLengthTicks(), 490);
  EXPECT_EQ(t.NotesStartingAt(10), std::vector<std::int32_t>{60});

  t.SetTempoAt(0, 600000);
  EXPECT_EQ(t.Event(1).value, 600000);
  EXPECT_EQ(t.Event(1).GetByte(0), 0x09);
  t.SetTempoAt(10, 400000);  // inserted after the events at tick 10
  EXPECT_EQ(t.Event(5).value, 400000);
  EXPECT_EQ(t.TimeOf(5), 10);

  t.InsertMetaTextAtTime(10, ev::kMetaMarker, "A");
  std::string text;
  EXPECT_TRUE(t.GetFirstMetaText(ev::kMetaMarker, text));
  EXPECT_EQ(text, "A");
  EXPECT_TRUE(t.DeleteMeta(ev::kMetaMarker, true));
  EXPECT_TRUE(box.Boxes().empty());
  t.InsertMetaTextFirst(ev::kMetaText, std::string(128, 'x'));
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0].substr(0, 12), "MDTK0D000028");
  EXPECT_EQ(t.Event(0).DataLength(), 128);

  CMusicEvent bend(0);
  bend.status = ev::kPitchBend;
  t.InsertEventAtTime(10, bend, CMidiTrack::kBefore);
  EXPECT_FALSE(t.DeleteKind(-1, 100, ev::kPitchBend));
  EXPECT_EQ(box.Boxes().back().substr(0, 12), "MDTK0D000025");
  EXPECT_FALSE(t.DeletePitchBends(11, 100));
  EXPECT_TRUE(t.DeletePitchBends(10, 11));
  const std::int64_t length = t.GetLengthTicks();
  EXPECT_TRUE(t.DeleteKind(0, 1000, ev::kMeta));  // never the end-of-track
  EXPECT_TRUE(t.Events().back().IsEndOfTrack());
  EXPECT_EQ(t.GetLengthTicks(), length);

  CMidiTrack wrong(CDataBuff::kStandardCapacity, CMidiTrack::kRawForm);
  box.Clear();
  EXPECT_TRUE(wrong.NotesStartingAt(0).empty());
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0],
            "M1TK0D000001 Midiのフォーマット1のトラックデータでエラーが発生しました。");
}

TEST(MdtkReports, OnceOnlyWarningsRearm) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  RearmMdtkWarnings();
  MdtkError(mdtk::kHugeEvent);
  MdtkError(mdtk::kHugeEvent);
  MdtkError(mdtk::kBadStart);
  MdtkError(mdtk::kBadStart);
  EXPECT_EQ(box.Boxes().size(), 3u);
  RearmMdtkWarnings();
  MdtkError(mdtk::kHugeEvent);
  EXPECT_EQ(box.Boxes().size(), 4u);
}

TEST(MidiSong, TracksStatesAndDeepCopies) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  CMidiTrack master(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  master.AppendTempo(500000);
  master.AppendEndOfTrack(960);
  CMidiTrack ch(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  ch.AddEvent(MakeNoteEvent(0, 0, 60, 1920, 100));
  ch.AppendEndOfTrack(0);
  const CMidiTrack* tracks[] = {&master, &ch};
  CMidi1Data song(tracks, 480);
  EXPECT_EQ(song.state, song_state::kNoteForm);
  EXPECT_EQ(song.SongLength(), 1920);

  CMidi1Data copy = song;
  copy.Track(1)->Event(0).key = 61;
  EXPECT_EQ(song.Track(1)->Event(0).key, 60);

  EXPECT_FALSE(song.ToNoteForm());
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0],
            "M1DT03000003 Midiのフォーマット１のデータで内部エラーが発生しました。");
  EXPECT_TRUE(song.ToRawForm());
  EXPECT_EQ(song.Track(1)->Event(1).status, ev::kNoteOff);
  EXPECT_TRUE(song.ToNoteForm());
  EXPECT_EQ(song.Track(1)->Event(0).length, 1920);

  song.ChangeResolution(96);
  EXPECT_EQ(song.resolution, 96);
  EXPECT_EQ(song.Track(0)->Events().back().delta, 192);
  EXPECT_EQ(song.Track(1)->Event(0).length, 384);

  EXPECT_TRUE(song.DeleteTrack(0));
  EXPECT_FALSE(song.DeleteTrack(5));
  EXPECT_EQ(song.TrackCount(), 1);
  while (song.TrackCount() < CMidi1Data::kMaxTracks) {
    ASSERT_TRUE(song.AppendTrack(std::make_unique<CMidiTrack>()));
  }
  box.Clear();
  EXPECT_FALSE(song.AppendTrack(std::make_unique<CMidiTrack>()));
  EXPECT_EQ(box.Boxes().size(), 1u);

  CMidi0Data zero;
  EXPECT_EQ(zero.resolution, 960);
  zero.Track() = ch;
  zero.Track().SetForm(CMidiTrack::kNoteForm);
  CMidi0Data window = CMidi0Data::CopyWindowOf(zero, 0, 100);
  EXPECT_EQ(window.resolution, 960);
  EXPECT_EQ(window.Track().Event(0).length, 1920);  // note lengths are not cut
}

}  // namespace
}  // namespace zentory
