// File calls on Windows: UTF-8 paths become UTF-16 at every call, so Japanese file and folder
// names work whatever the system's ANSI code page is.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "base/file_access.h"
#include "base/general.h"
#include "base/wide_text_win32.h"

namespace zentory {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool Close() {
    if (!ok()) return true;
    const bool closed = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE h_;
};

// Writes DATA as the new file PATH and flushes it to the disk.
bool WriteAndFlush(const std::wstring& path, std::span<const std::uint8_t> data) {
  Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < data.size();) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
    DWORD wrote = 0;
    ok = WriteFile(file.get(), data.data() + done, want, &wrote, nullptr) != 0 && wrote > 0;
    done += wrote;
  }
  ok = FlushFileBuffers(file.get()) != 0 && ok;
  return file.Close() && ok;
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(WideFromUtf8(utf8));
}

std::string Utf8FromPath(const std::filesystem::path& path) { return Utf8FromWide(path.native()); }

namespace file_access {

File OpenForReading(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return nullptr;
  }
  return File(_wfopen(wide.c_str(), L"rb"));
}

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  return static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool ReplaceWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
  const std::wstring target = WideFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  // A file the user made read-only is not replaced, and a folder is not a file.
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  const std::wstring temp = target + L".tmp~";
  // The new file takes the old one's place only once its bytes are on the disk; the move itself
  // is written through, so a power cut leaves the old file or the new one.
  if (WriteAndFlush(temp, data) &&
      MoveFileExW(temp.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    return true;
  }
  DeleteFileW(temp.c_str());
  return false;
}

}  // namespace file_access
}  // namespace zentory
