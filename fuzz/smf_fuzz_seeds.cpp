// Writes the seed corpus of smf_fuzz into the folder given as the only argument: small files
// that reach every path of the reader (all three formats, the MacBinary prefix, the accepted and
// the skipped chunk kinds, running status across meta and system exclusive events and stray
// system bytes, every meta kind, time-code division, notes without note-offs, a saved song), and
// the public edge-case files when the test-data folder is there (ZENTORY_TESTDATA, else the
// folder beside the repository).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_report.h"
#include "song/load_song.h"
#include "song/smf_parse.h"
#include "song/smf_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Header(int format, int tracks, int division) {
  Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  zentory::smf::AppendBe16(b, static_cast<std::uint32_t>(format));
  zentory::smf::AppendBe16(b, static_cast<std::uint32_t>(tracks));
  zentory::smf::AppendBe16(b, static_cast<std::uint32_t>(division));
  return b;
}

void AddChunk(Bytes& file, const Bytes& body, const char* tag = "MTrk") {
  file.insert(file.end(), tag, tag + 4);
  zentory::smf::AppendBe32(file, static_cast<std::uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
}

const Bytes kMaster = {0x00, 0xFF, 0x03, 0x04, 'S',  'o',  'n',  'g',  0x00, 0xFF, 0x58, 0x04, 3,
                       2,    24,   8,    0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x59,
                       0x02, 0xFE, 0x00, 0x00, 0xFF, 0x06, 0x02, 0x82, 0xA0, 0x00, 0xFF, 0x21, 0x01,
                       0x00, 0x00, 0xFF, 0x09, 0x01, 'P',  0x00, 0xFF, 0x2F, 0x00};
const Bytes kNotes = {0x00, 0x90, 60,   100,  0x00, 64,   90,   0x81, 0x70, 60,   0,    0x00,
                      0xFF, 0x01, 0x01, 'x',  0x00, 64,   0,    0x00, 0xB0, 7,    100,  0x00,
                      0xC0, 5,    0x00, 0xE0, 0,    64,   0x00, 0xA0, 60,   3,    0x00, 0xD0,
                      9,    0x00, 0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7, 0x00,
                      0xF7, 0x02, 0x43, 0xF7, 0x83, 0x60, 0xFF, 0x2F, 0x00};
const Bytes kRunningSysEx = {0x00, 0x91, 60,   100,  0x00, 0xF0, 0x03, 0x43, 0x10,
                             0xF7, 0x00, 0x7E, 0x7F, 0xF7, 0x10, 0xFF, 0x2F, 0x00};

// Notes of channel 0 in the first track, a stray quarter frame, a sysex with running status after
// it, the meta kinds whose bytes must come back, and drum hits without note-offs.
const Bytes kLenient = {0x00, 0xFF, 0x00, 0x02, 0x00, 0x07, 0x00, 0xFF, 0x20, 0x01, 0x05, 0x00,
                        0xFF, 0x54, 0x05, 0x60, 0x01, 0x02, 0x03, 0x04, 0x00, 0xFF, 0x00, 0x00,
                        0x00, 0x90, 60,   100,  0x00, 0xF1, 0x7F, 0x10, 62,   100,  0x00, 0xF0,
                        0x03, 0x43, 0x10, 0xF7, 0x10, 60,   0,    0x00, 0x99, 36,   100,  0x20,
                        0x99, 36,   100,  0x20, 0x89, 36,   0x40, 0x00, 0xF8, 0x00, 0xFE, 0x00,
                        0xF6, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF3, 0x01, 0x00, 0xFF, 0x2F, 0x00};

// Silences the reports of the saved song's load.
class Quiet : public zentory::IMessageBox {
 public:
  int Show(std::string_view) override { return 1; }
};

void Save(const std::filesystem::path& dir, const char* name, const Bytes& bytes) {
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: smf_fuzz_seeds FOLDER\n", stderr);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);

  Bytes f1 = Header(1, 3, 480);
  AddChunk(f1, kMaster);
  AddChunk(f1, kNotes);
  AddChunk(f1, kRunningSysEx, "XFKM");
  Save(dir, "format1.mid", f1);

  Bytes mac(128, 0);
  mac.insert(mac.end(), f1.begin(), f1.end());
  Save(dir, "macbinary.mid", mac);

  Bytes f0 = Header(0, 1, 96);
  Bytes body = kMaster;
  body.resize(body.size() - 4);  // continue past the master's end-of-track
  body.insert(body.end(), kNotes.begin(), kNotes.end());
  AddChunk(f0, body);
  Save(dir, "format0.mid", f0);

  Bytes junk = Header(1, 2, 0);
  AddChunk(junk, {1, 2, 3}, "Junk");
  AddChunk(junk, kNotes, "XFIH");
  Save(dir, "junk_chunk.mid", junk);

  Bytes shortFile = Header(1, 4, 0x8078);
  AddChunk(shortFile, kNotes);
  shortFile.resize(shortFile.size() - 5);
  Save(dir, "short.mid", shortFile);

  Bytes f2 = Header(2, 2, 0xE728);  // format 2, 25 frames of 40 ticks
  AddChunk(f2, kLenient);
  AddChunk(f2, {1, 2}, "Junk");
  AddChunk(f2, kNotes);
  Save(dir, "lenient_format2.mid", f2);

  Bytes f0s = Header(0, 3, 96);  // format 0 with several tracks, a longer header
  f0s[7] = 8;
  f0s.insert(f0s.end(), {0, 0});
  AddChunk(f0s, kLenient);
  AddChunk(f0s, kRunningSysEx);
  AddChunk(f0s, kNotes);
  Save(dir, "lenient_format0.mid", f0s);

  // A song as the editor saves it.
  Quiet quiet;
  zentory::ScopedMessageBoxTarget scope(&quiet);
  zentory::LoadedSong loaded = zentory::LoadSongFromBytes(f1);
  if (loaded.song) Save(dir, "saved.mid", zentory::EncodeSong(*loaded.song));

  // The public edge-case files.
  const char* set = std::getenv("ZENTORY_TESTDATA");
  const std::filesystem::path data =
      std::filesystem::path(set != nullptr && *set != '\0' ? set : ZENTORY_TESTDATA_DIR) / "midi";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(data, ec)) {
    if (entry.path().extension() != ".mid") continue;
    std::filesystem::copy_file(entry.path(), dir / ("public_" + entry.path().filename().string()),
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
  return 0;
}
