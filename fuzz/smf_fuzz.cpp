// Feeds arbitrary bytes to the editor's load sequence, then saves what loaded, reads the saved
// bytes back and prepares the player's data from it: no input may read or write outside a buffer,
// divide by zero, loop without end or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/error_report.h"
#include "base/ports/dialogs.h"
#include "song/format_conversion.h"
#include "song/load_song.h"
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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CountingBox box;
  zentory::SetMessageBoxTarget(&box);
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
