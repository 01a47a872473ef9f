#include "platform/wiring/app_folders.h"

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

// An absolute path without a trailing separator, so messages and joined names read cleanly.
std::string Absolute(const std::string& dir) {
  std::error_code ec;
  fs::path path = fs::absolute(PathFromUtf8(dir), ec);
  if (ec) path = PathFromUtf8(dir);
  path = path.lexically_normal();
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return Utf8FromPath(path);
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

std::string SettingsFolder(const FolderChoice& choice, std::vector<std::string>& problems) {
  if (choice.kind == FolderChoice::Kind::kCurrent) return CurrentAppDir();
  std::string dir;
  std::string error = kNoUserFolder;
  if (choice.kind == FolderChoice::Kind::kUser) {
    dir = DefaultUserConfigDir();
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

}  // namespace zentory
