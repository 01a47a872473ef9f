#include "app/recovery_files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "song/smf_writer.h"

namespace zentory {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "recovery-";
constexpr const char* kMid = ".mid";
constexpr const char* kTxt = ".txt";
constexpr const char* kTemporary = ".tmp";

bool WriteThrough(const fs::path& path, const char* data, std::size_t size) {
  fs::path temporary = path;
  temporary += kTemporary;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(data, static_cast<std::streamsize>(size));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ec;
      fs::remove(temporary, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (!ec) return true;
  fs::remove(temporary, ec);
  return false;
}

bool IsRecoveryMid(const fs::path& path) {
  const std::string name = path.filename().string();
  return name.starts_with(kPrefix) && path.extension() == kMid;
}

template <class T>
bool ParseNumber(std::string_view text, T& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string RecoveryBaseName(std::time_t start, long pid) {
  std::tm local{};
  if (const std::tm* t = std::localtime(&start)) local = *t;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s%04d%02d%02d-%02d%02d%02d-%ld", kPrefix,
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, pid);
  return buffer;
}

std::vector<std::string> ListRecoveryFiles(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsRecoveryMid(it->path())) found.push_back(it->path().string());
  }
  std::sort(found.begin(), found.end(), std::greater<>());
  return found;
}

void PruneRecoveryFiles(const std::string& folder, std::size_t keep, const std::string& ownBase) {
  std::size_t kept = 0;
  for (const std::string& mid : ListRecoveryFiles(folder)) {
    const fs::path path(mid);
    if (path.stem().string() == ownBase) continue;
    if (kept < keep) {
      ++kept;
      continue;
    }
    RemoveRecoveryFiles(folder, path.stem().string());
  }
}

bool WriteRecoveryFiles(const std::string& folder, const std::string& base, const CMidi1Data& song,
                        const RecoveryNote& note) {
  const std::vector<std::uint8_t> bytes = EncodeSong(song);
  if (bytes.empty()) return false;
  std::ostringstream text;
  text << "path=" << note.songPath << '\n'
       << "track=" << note.track << '\n'
       << "tick=" << note.tick << '\n';
  if (note.channels) {
    text << "channels=";
    const auto count = std::min<std::size_t>(note.channels->size(), song.Tracks().size());
    for (std::size_t i = 0; i < count; ++i) {
      text << (i ? " " : "") << (*note.channels)[i];
    }
    text << '\n';
  }
  const std::string txt = text.str();
  const fs::path dir(folder);
  // The song first: a note without its song is never left behind as the newest.
  return WriteThrough(dir / (base + kMid), reinterpret_cast<const char*>(bytes.data()),
                      bytes.size()) &&
         WriteThrough(dir / (base + kTxt), txt.data(), txt.size());
}

void RemoveRecoveryFiles(const std::string& folder, const std::string& base) {
  std::error_code ec;
  const fs::path dir(folder);
  fs::remove(dir / (base + kMid), ec);
  fs::remove(dir / (base + kTxt), ec);
}

RecoveryNote ReadRecoveryNote(const std::string& midPath) {
  RecoveryNote note;
  fs::path txt(midPath);
  txt.replace_extension(kTxt);
  std::ifstream in(txt, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string_view key(line.data(), eq);
    const std::string_view value(line.data() + eq + 1, line.size() - eq - 1);
    if (key == "path") {
      note.songPath = std::string(value);
    } else if (key == "track") {
      ParseNumber(value, note.track);
    } else if (key == "tick") {
      ParseNumber(value, note.tick);
    } else if (key == "channels") {
      ChannelTable table{};
      table.fill(kMasterChannel);
      std::istringstream numbers{std::string(value)};
      std::size_t i = 0;
      int channel = 0;
      while (i < table.size() && numbers >> channel) {
        table[i++] = channel >= 0 && channel < 16 ? channel : kMasterChannel;
      }
      note.channels = table;
    }
  }
  return note;
}

}  // namespace zentory
