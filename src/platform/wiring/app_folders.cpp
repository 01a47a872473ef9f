#include "platform/wiring/app_folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/general.h"
#include "platform/wiring/backends.h"

namespace zentory {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kConfigOption = "--config";
constexpr std::string_view kUserConfigOption = "--user-config";
constexpr const char* kNeedsFolder = "--config needs a folder";
constexpr const char* kOneFolder = "give --config DIR or --user-config, once";
constexpr const char* kNoHome = "neither XDG_CONFIG_HOME nor HOME names a folder";
constexpr const char* kNotAFolder = "not a folder";

// An absolute path without a trailing separator, so messages and joined names read cleanly.
std::string Absolute(const std::string& dir) {
  std::error_code ec;
  fs::path path = fs::absolute(dir, ec);
  if (ec) path = dir;
  path = path.lexically_normal();
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path.string();
}

std::string ErrnoText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

}  // namespace

bool TakeFolderOptions(std::vector<std::string>& args, FolderChoice& choice, std::string& error) {
  std::vector<std::string> rest;
  bool chosen = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool config = i > 0 && (arg == kConfigOption || arg.starts_with("--config="));
    const bool user = i > 0 && arg == kUserConfigOption;
    if (!config && !user) {
      rest.push_back(arg);
      continue;
    }
    if (chosen) {
      error = kOneFolder;
      return false;
    }
    chosen = true;
    if (user) {
      choice = {FolderChoice::Kind::kUser, {}};
      continue;
    }
    std::string dir;
    if (arg == kConfigOption) {
      if (i + 1 >= args.size()) {
        error = kNeedsFolder;
        return false;
      }
      dir = args[++i];
    } else {
      dir = arg.substr(kConfigOption.size() + 1);
    }
    // "--config --script keys.txt" lost its folder; it did not name one called "--script".
    if (dir.empty() || dir.starts_with("--")) {
      error = kNeedsFolder;
      return false;
    }
    choice = {FolderChoice::Kind::kGiven, dir};
  }
  args = std::move(rest);
  return true;
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

std::string SettingsFolder(const FolderChoice& choice, std::vector<std::string>& problems) {
  if (choice.kind == FolderChoice::Kind::kCurrent) return CurrentAppDir();
  std::string dir;
  std::string error = kNoHome;
  if (choice.kind == FolderChoice::Kind::kUser) {
    dir = UserConfigDir(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  } else {
    dir = choice.dir;
  }
  if (!dir.empty()) {
    dir = Absolute(dir);
    if (MakeSettingsFolder(dir, error)) return dir;
  }
  std::string line = backend_texts::kNoSettingsFolder;
  if (!dir.empty()) line += ": " + dir;
  problems.push_back(line + ": " + error);
  return {};
}

std::string ExecutablePath(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && self.is_absolute()) return self.string();
  // Without /proc a name with a folder in it still tells where we are; a bare name came through
  // PATH and does not.
  if (argv0 && std::string_view(argv0).find('/') != std::string_view::npos) {
    return Absolute(argv0);
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
