// Feeds arbitrary bytes to the editor's load sequence, then saves what loaded, reads the saved
// bytes back and prepares the player's data from it: no input may read or write outside a buffer,
// divide by zero, loop without end or allocate without bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/error_report.h"
#include "base/ports/dialogs.h"
#include "song/format_conversion.h"
#include "song/load_song.h"
#include "song/smf_parse.h"
#include "song/smf_reader.h"
#include "song/smf_writer.h"

namespace {
// Reports are expected for most inputs; they are counted, not printed.
class CountingBox : public zentory::IMessageBox {
 public:
  int Show(std::string_view) override {
    ++shown;
    return 1;
  }
  std::size_t shown = 0;
};

// The input as one track chunk, read into note form in one pass and, the long way, into raw
// form and then converted: both must give the same events.
void CompareNoteForms(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> chunk = {'M', 'T', 'r', 'k'};
  zentory::smf::AppendBe32(chunk, static_cast<std::uint32_t>(size));
  chunk.insert(chunk.end(), data, data + size);
  zentory::ChunkReadOptions options;
  zentory::CMidiTrack direct;
  zentory::CMidiTrack converted;
  options.noteForm = true;
  zentory::ReadTrackChunk(chunk, 0, direct, options);
  options.noteForm = false;
  zentory::ReadTrackChunk(chunk, 0, converted, options);
  converted.ToNoteForm();
  if (direct.EventCount() != converted.EventCount()) __builtin_trap();
  for (std::int32_t i = 0; i < direct.EventCount(); ++i) {
    const zentory::CMusicEvent& a = direct.Event(i);
    const zentory::CMusicEvent& b = converted.Event(i);
    if (a.status != b.status || a.delta != b.delta || a.key != b.key || a.length != b.length ||
        a.velocity != b.velocity || a.type != b.type || a.value != b.value ||
        a.channel != b.channel || !std::ranges::equal(a.Data(), b.Data())) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CountingBox box;
  zentory::SetMessageBoxTarget(&box);
  CompareNoteForms(data, size);
  zentory::LoadedSong loaded =
      zentory::LoadSongFromBytes(std::vector<std::uint8_t>(data, data + size));
  if (!loaded.song) return 0;
  const std::vector<std::uint8_t> bytes = zentory::EncodeSong(*loaded.song);
  std::vector<std::unique_ptr<zentory::CMidiTrack>> tracks;
  if (!zentory::ReadBackTracks(bytes, loaded.song->TrackCount(), loaded.song->resolution,
                               loaded.song->Capacity(), true, tracks)) {
    __builtin_trap();  // the writer made bytes its own reader cannot take back
  }
  const std::int64_t end = loaded.song->SongLength();
  auto player = zentory::MakePlayerData(*loaded.song, end / 3, end + 1);
  if (player) zentory::MeasureLength(*player);
  return 0;
}
