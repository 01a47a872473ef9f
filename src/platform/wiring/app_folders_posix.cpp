// Where the program's files are on POSIX systems: the XDG settings folder, /proc/self/exe and
// the share/zentory data folder.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/wiring/app_folders.h"

namespace zentory {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNotAFolder = "not a folder";

std::string ErrnoText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

}  // namespace

const char* const kNoUserFolder = "neither XDG_CONFIG_HOME nor HOME names a folder";

std::string DefaultUserConfigDir() {
  return UserConfigDir(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string UserConfigDir(const char* xdgConfigHome, const char* home) {
  // A relative XDG_CONFIG_HOME is not to be used, as for every program that follows the base
  // directory rules: it would follow the current directory around.
  if (xdgConfigHome && *xdgConfigHome && fs::path(xdgConfigHome).is_absolute()) {
    return (fs::path(xdgConfigHome) / "zentory").lexically_normal().string();
  }
  if (home && *home) return (fs::path(home) / ".config" / "zentory").lexically_normal().string();
  return {};
}

bool MakeSettingsFolder(const std::string& dir, std::string& error) {
  std::error_code ec;
  const fs::path path(dir);
  if (fs::is_directory(path, ec)) return true;
  if (fs::exists(fs::symlink_status(path, ec))) {
    error = kNotAFolder;
    return false;
  }
  if (path.has_parent_path() && path.parent_path() != path) {
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
      error = path.parent_path().string() + ": " + ec.message();
      return false;
    }
  }
  // Created private from the start: the folder holds the user's own keys and readings.
  if (::mkdir(path.c_str(), 0700) != 0) {
    const int failure = errno;
    if (failure == EEXIST && fs::is_directory(path, ec)) return true;
    error = ErrnoText(failure);
    return false;
  }
  return true;
}

std::string ExecutablePath(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && self.is_absolute()) return self.string();
  // Without /proc a name with a folder in it still tells where we are; a bare name came through
  // PATH and does not.
  if (argv0 && std::string_view(argv0).find('/') != std::string_view::npos) {
    return fs::absolute(argv0, ec).lexically_normal().string();
  }
  return {};
}

std::string DataFolder(const std::string& exePath) {
  if (exePath.empty()) return {};
  const fs::path exeDir = fs::path(exePath).parent_path();
  for (const fs::path& candidate :
       {exeDir / "share" / "zentory", exeDir / ".." / "share" / "zentory"}) {
    std::error_code ec;
    if (fs::is_directory(candidate, ec)) return candidate.lexically_normal().string();
  }
  return {};
}

}  // namespace zentory
