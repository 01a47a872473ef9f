#include "song/load_song.h"

#include "base/general.h"
#include "song/format_conversion.h"
#include "song/smf_parse.h"
#include "song/smf_reader.h"
#include "song/song_errors.h"

namespace zentory {

std::vector<TimeSignatureMark> CollectTimeSignatures(const CMidiTrack& track) {
  std::vector<TimeSignatureMark> marks;
  std::int64_t tick = 0;
  for (const CMusicEvent& e : track.Events()) {
    tick += e.delta;
    if (e.IsMeta(ev::kMetaTimeSignature)) {
      marks.push_back({e.PeekByte(0), e.PeekByte(1), tick});
    }
  }
  return marks;
}

LoadedSong LoadSongFromBytes(std::vector<std::uint8_t> bytes) {
  ScopedReportBatch batch;
  LoadedSong result;
  const std::int32_t format = smf::ProbeFormat(bytes);
  std::unique_ptr<CMidi1Data> song;
  // A format-0 file with several tracks takes the format-1 path, which merges and splits them.
  if (format == 0 && smf::PeekBe16(bytes, 10) == 1) {
    std::unique_ptr<CMidi0Data> data = ReadFormat0(std::move(bytes));
    if (data->state != song_state::kNoteForm) return result;
    song = SplitFormat0(*data);
    if (!song) return result;
  } else {
    song = ReadFormat1(std::move(bytes), kEditorResolution);
  }
  if (song->state != song_state::kNoteForm || song->TrackCount() == 0) return result;
  song->ChangeResolution(kEditorResolution);
  result.timeSignatures = CollectTimeSignatures(*song->Track(0));
  result.song = std::move(song);
  return result;
}

LoadedSong LoadSongFile(const std::string& path) {
  ScopedReportBatch batch;
  std::vector<std::uint8_t> bytes;
  const std::uint32_t size = GetFileSize32(path);
  // One byte more than the size tells the reader's cap apart from a file that just fits it.
  if (!ReadWholeFile(path, bytes, std::size_t{size} + 1)) return {};
  return LoadSongFromBytes(std::move(bytes));
}

std::int32_t EditorChannelOf(const CMidiTrack& track) {
  const std::int32_t channel = track.GetChannel();
  if (channel != ev::kNoChannel) return channel;
  for (const CMusicEvent& e : track.Events()) {
    if (e.IsMeta(ev::kMetaChannelPrefix) && e.DataLength() >= 1 && e.GetByte(0) < 16) {
      return e.GetByte(0);
    }
  }
  return ev::kNoChannel;
}

}  // namespace zentory
