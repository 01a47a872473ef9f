#include "base/general.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/file_access.h"

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

bool FileExists(const std::string& path) { return file_access::OpenForReading(path) != nullptr; }

std::uint32_t GetFileSize32(const std::string& path) {
  const std::uint64_t size = file_access::FileSize(path);
  if (size > 0xFFFFFFFFull) GeneralError(gene::kFileSize);
  return static_cast<std::uint32_t>(size);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t capacity) {
  out.clear();
  file_access::File f = file_access::OpenForReading(path);
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
  file_access::File f = file_access::OpenForReading(path);
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
  if (file_access::ReplaceWholeFile(path, data)) return true;
  GeneralError(gene::kCannotOpen);
  return false;
}

std::string CurrentAppDir() {
  std::error_code ec;
  auto cwd = std::filesystem::current_path(ec);
  if (ec) {
    GeneralError(gene::kNoCurrentDir);
    return {};
  }
  return Utf8FromPath(cwd);
}

std::string JoinAppPath(const std::string& appDir, const std::string& name) {
  if (appDir.empty()) return name;
  char last = appDir.back();
  if (last == '/' || last == '\\') return appDir + name;
  // The system's own separator: a Windows path reads "C:\Zentory\setup.ini", not a mix.
  return appDir + static_cast<char>(std::filesystem::path::preferred_separator) + name;
}

}  // namespace zentory
