// zentory-smf: the editor's file handling from the command line.
//   zentory-smf dump FILE      loads FILE as the editor does and lists every track and event
//   zentory-smf convert IN OUT loads IN as the editor does and saves it as the editor's save does
//   zentory-smf render IN OUT  plays IN through the player into the embedded synth, writes WAVE
// Reports appear on standard error as "box: PREFIX%08X message" lines. An event is one line
// "TICK<TAB>NAME"; control characters inside a text event's name are escaped as the reports'
// are (a line break as \n), so that every event stays on its line.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_codec.h"
#include "platform/console/console.h"
#include "song/event_names.h"
#include "song/load_song.h"
#include "song/smf_writer.h"
#include "tools/smf_render.h"

namespace {

constexpr const char* kUsage =
    "usage: zentory-smf dump FILE\n"
    "       zentory-smf convert IN OUT\n"
    "       zentory-smf render IN.mid OUT.wav\n";

int Dump(const std::string& path) {
  const zentory::LoadedSong loaded = zentory::LoadSongFile(path);
  if (!loaded.song) return 1;
  std::string out;
  const auto& tracks = loaded.song->Tracks();
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    out +=
        "track " + std::to_string(i) + " channel " + std::to_string(tracks[i]->GetChannel()) + "\n";
    std::int64_t tick = 0;
    for (const zentory::CMusicEvent& e : tracks[i]->Events()) {
      tick += e.delta;
      out += std::to_string(tick);
      out += '\t';
      out += zentory::EchoLine("", zentory::GetEventName(e));
      out += '\n';
    }
    if (out.size() > (1u << 20)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int Convert(const std::string& in, const std::string& out) {
  zentory::LoadedSong loaded = zentory::LoadSongFile(in);
  if (!loaded.song) return 1;
  return zentory::SaveSong(*loaded.song, out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  zentory::UseBinaryStandardStreams();
  const std::vector<std::string> args = zentory::CommandLineArgs(argc, argv);
  const std::size_t n = args.size();
  const std::string_view command = n > 1 ? std::string_view(args[1]) : "";
  if (command == "dump" && n == 3) return Dump(args[2]);
  if (command == "convert" && n == 4) return Convert(args[2], args[3]);
  if (command == "render" && n == 4) return zentory::RenderSmf(args[2], args[3]);
  std::fputs(kUsage, stderr);
  return 2;
}
