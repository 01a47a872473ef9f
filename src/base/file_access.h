// The file calls of the general module that differ between systems (file_access_posix.cpp,
// file_access_win32.cpp). Paths are UTF-8; nothing here reports: general.cpp does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace zentory::file_access {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// PATH opened for reading in binary mode; null when it cannot be, or when it names a folder.
File OpenForReading(const std::string& path);

// The size of the file at PATH; 0 for a folder or a missing file.
std::uint64_t FileSize(const std::string& path);

// Writes DATA as the whole file PATH through a temporary file beside it, flushed to the disk
// before it takes the old file's place; a read-only target or a folder is left alone. False when
// the file was not replaced (the temporary file is gone again).
bool ReplaceWholeFile(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace zentory::file_access
