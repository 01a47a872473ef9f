#include "base/general.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zentory {

namespace {

constexpr ErrorText kGeneralMessages[] = {
    {gene::kOutOfMemory, "メモリが不足しています。"},
    {gene::kPerformance, "パフォーマンスが低下しています。一旦終了して、再起動してください。"},
    {gene::kFileNotFound, "ファイルが見つかりませんでした。"},
    {gene::kHexData, "16進数のデータの記述に誤りがあります。"},
    {gene::kCannotOpen,
     "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
     "あるいは、出力フォルダや作業フォルダの設定などを確認してください。"},
    {gene::kTooLarge, "データが大きすぎます。"},
    {gene::kBadParameter, "パラメータに誤りがあります。"},
    {gene::kNoCurrentDir, "カレントディレクトリが取得できませんでした。"},
    {gene::kFileSize, "ファイルサイズにエラーがあります。"},
    {gene::kTimeSignature, "拍子にエラーがあります。"},
    {0x0100000F, "自動編曲中にエラーが発生しました。(1)"},
    {0x01000010, "楽曲解析中にエラーが発生しました。"},
    {0x01000011, "自動編曲中にエラーが発生しました。(2)"},
    {gene::kBpmConversion, "BPM変換でエラーが発生しました。"},
    {gene::kTempoConversion, "テンポ変換でエラーが発生しました。"},
};

constexpr ErrorModule kGeneral("GENE", kGeneralMessages, "汎用処理でエラーが発生しました。");

constexpr std::size_t kFixedReadCapacity = 0xF0000;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForReading(const std::string& path) {
  struct stat st {};
  // fopen succeeds on a directory under glibc; a directory is not a readable file here.
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  return File(std::fopen(path.c_str(), "rb"));
}

std::size_t ReadInto(std::FILE* f, std::uint8_t* dst, std::size_t n) {
  std::size_t total = 0;
  while (total < n) {
    std::size_t got = std::fread(dst + total, 1, n - total, f);
    if (got == 0) break;
    total += got;
  }
  return total;
}

// Writes DATA as the new file PATH with MODE and flushes it to the disk.
bool WriteAndSync(const std::string& path, std::span<const std::uint8_t> data, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < data.size();) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ::fsync(fd) == 0 && ok;
  return ::close(fd) == 0 && ok;
}

void SyncFolder(const std::filesystem::path& folder) {
  const std::string name = folder.empty() ? "." : folder.string();
  const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is done; a folder that cannot be synced changes nothing about it
  ::close(fd);
}

}  // namespace

const ErrorModule& GeneralModule() { return kGeneral; }

int GeneralError(ErrorCode code) { return kGeneral.Report(code); }

bool FileExists(const std::string& path) { return OpenForReading(path) != nullptr; }

std::uint32_t GetFileSize32(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
  auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > 0xFFFFFFFFull) GeneralError(gene::kFileSize);
  return static_cast<std::uint32_t>(size);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t capacity) {
  out.clear();
  File f = OpenForReading(path);
  if (!f) {
    ShowMessageBox(path);
    GeneralError(gene::kCannotOpen);
    return false;
  }
  // Capacity is a limit, not an allocation: grow with what the file really holds.
  constexpr std::size_t kChunk = 1 << 16;
  while (out.size() < capacity) {
    std::size_t want = std::min(kChunk, capacity - out.size());
    std::size_t old = out.size();
    out.resize(old + want);
    std::size_t got = ReadInto(f.get(), out.data() + old, want);
    out.resize(old + got);
    if (got < want) break;
  }
  if (capacity == kFixedReadCapacity && out.size() == capacity) GeneralError(gene::kTooLarge);
  return true;
}

bool ReadExact(const std::string& path, std::span<std::uint8_t> block, std::size_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  File f = OpenForReading(path);
  if (!f) {
    GeneralError(gene::kCannotOpen);
    return false;
  }
  std::size_t got = ReadInto(f.get(), block.data(), block.size());
  if (bytesRead) *bytesRead = got;
  if (got < block.size()) GeneralError(gene::kTooLarge);
  return true;
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // A symbolic link is written through: the file it points to gets the bytes and the link stays.
  fs::path target = path;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  const fs::file_status status = fs::status(target, ec);
  const bool exists = !ec && fs::exists(status);
  // A file the user made read-only is not replaced, as a plain write to it would fail.
  const bool readOnly =
      exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
  bool ok = !readOnly && !(exists && fs::is_directory(status));
  const std::string temp = target.string() + ".tmp~";
  if (ok) {
    const auto mode = exists ? static_cast<mode_t>(status.permissions() & fs::perms::mask) : 0666;
    ok = WriteAndSync(temp, data, mode);
    // The new file takes the old one's place only once its bytes are on the disk, and the
    // folder is synced after the rename: a power cut leaves the old file or the new one.
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (ok) SyncFolder(target.parent_path());
  }
  if (!ok) {
    std::remove(temp.c_str());
    GeneralError(gene::kCannotOpen);
  }
  return ok;
}

std::string CurrentAppDir() {
  std::error_code ec;
  auto cwd = std::filesystem::current_path(ec);
  if (ec) {
    GeneralError(gene::kNoCurrentDir);
    return {};
  }
  return cwd.string();
}

std::string JoinAppPath(const std::string& appDir, const std::string& name) {
  if (appDir.empty()) return name;
  char last = appDir.back();
  if (last == '/' || last == '\\') return appDir + name;
  return appDir + "/" + name;
}

}  // namespace zentory
