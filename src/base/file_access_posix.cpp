// File calls on POSIX systems: paths are bytes, taken as they are.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/file_access.h"
#include "base/general.h"

namespace zentory {

std::filesystem::path PathFromUtf8(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8FromPath(const std::filesystem::path& path) { return path.string(); }

namespace file_access {

namespace {

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

File OpenForReading(const std::string& path) {
  struct stat st {};
  // fopen succeeds on a directory under glibc; a directory is not a readable file here.
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  return File(std::fopen(path.c_str(), "rb"));
}

std::uint64_t FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

bool ReplaceWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
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
  if (readOnly || (exists && fs::is_directory(status))) return false;
  const std::string temp = target.string() + ".tmp~";
  const auto mode = exists ? static_cast<mode_t>(status.permissions() & fs::perms::mask) : 0666;
  // The new file takes the old one's place only once its bytes are on the disk, and the folder is
  // synced after the rename: a power cut leaves the old file or the new one.
  if (WriteAndSync(temp, data, mode) && std::rename(temp.c_str(), target.c_str()) == 0) {
    SyncFolder(target.parent_path());
    return true;
  }
  std::remove(temp.c_str());
  return false;
}

}  // namespace file_access
}  // namespace zentory
