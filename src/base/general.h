// The general module GENE: its report and the whole-file helpers every module uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "base/error_report.h"

namespace zentory {

namespace gene {
inline constexpr ErrorCode kOutOfMemory = 0x01000002;
inline constexpr ErrorCode kPerformance = 0x01000004;
inline constexpr ErrorCode kFileNotFound = 0x01000005;
inline constexpr ErrorCode kHexData = 0x01000006;
inline constexpr ErrorCode kCannotOpen = 0x01000007;
inline constexpr ErrorCode kTooLarge = 0x0100000A;
inline constexpr ErrorCode kBadParameter = 0x0100000B;
inline constexpr ErrorCode kNoCurrentDir = 0x0100000C;
inline constexpr ErrorCode kFileSize = 0x0100000D;
inline constexpr ErrorCode kTimeSignature = 0x0100000E;
inline constexpr ErrorCode kBpmConversion = 0x01000012;
inline constexpr ErrorCode kTempoConversion = 0x01000013;
}  // namespace gene

const ErrorModule& GeneralModule();
// Shows "GENE%08X %s" for CODE and returns the box's result.
int GeneralError(ErrorCode code);

// 1 when PATH can be opened for reading.
bool FileExists(const std::string& path);

// The size of the file at PATH; 0 for a directory or a missing file. A size beyond 32 bits is
// reported (GENE 0100000D) and its low 32 bits are returned.
std::uint32_t GetFileSize32(const std::string& path);

// Reads up to CAPACITY bytes from the start of PATH into OUT (resized to what was read).
// Returns false when the file cannot be opened: a box with the path, then GENE 01000007.
// A read given the fixed capacity 0xF0000 that fills it completely is reported as too large
// (GENE 0100000A).
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t capacity);

// Reads N bytes from the start of PATH into BLOCK. Returns false when the file cannot be opened
// (GENE 01000007). When fewer than N bytes exist, GENE 0100000A is shown and the call still
// succeeds; *BYTESREAD (when given) tells how many arrived.
bool ReadExact(const std::string& path, std::span<std::uint8_t> block,
               std::size_t* bytesRead = nullptr);

// Writes DATA as the whole file PATH: to a temporary file beside it, flushed to the disk, then
// renamed into place and the folder flushed, so a failed write or a power cut leaves the previous
// file intact. A symbolic link is written through to its target; a target without write
// permission is not replaced. Returns false (GENE 01000007) when it fails.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> data);

// The current directory, where the program's files live; empty (after GENE 0100000C) when it
// cannot be had.
std::string CurrentAppDir();

// Paths are UTF-8 inside the program. These turn one into the system's own form and back; a
// sequence that is not UTF-8 never throws (it becomes U+FFFD where the system needs Unicode).
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// appDir + the system's separator ("\" on Windows, "/" elsewhere) + name, without a doubled
// separator when appDir is a root.
std::string JoinAppPath(const std::string& appDir, const std::string& name);

// Little-endian 32-bit fields of the flat records (setup.ini, shortcut.dat).
inline std::int32_t LoadLe32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
      static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}
inline void StoreLe32(std::uint8_t* p, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace zentory
