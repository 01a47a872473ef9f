#include "base/general.h"

#include <sys/stat.h>

#include <algorithm>
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

constexpr std::size_t kLegacyReadCapacity = 0xF0000;

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
  if (capacity == kLegacyReadCapacity && out.size() == capacity) GeneralError(gene::kTooLarge);
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
  std::string temp = path + ".tmp~";
  bool ok = false;
  {
    File f(std::fopen(temp.c_str(), "wb"));
    if (f) {
      ok = std::fwrite(data.data(), 1, data.size(), f.get()) == data.size();
      ok = (std::fflush(f.get()) == 0) && ok;
      ok = (std::fclose(f.release()) == 0) && ok;
    }
  }
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
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
