// Where the program's files are on Windows: %APPDATA%\Zentory for --user-config, and the data
// folder "data" beside the .exe.
#include <windows.h>

#include <filesystem>
#include <system_error>

#include "base/general.h"
#include "platform/wiring/app_folders.h"

namespace zentory {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kAppData = L"APPDATA";
constexpr const wchar_t* kFolderName = L"Zentory";
constexpr const wchar_t* kDataFolder = L"data";
constexpr const char* kNotAFolder = "not a folder";

}  // namespace

const char* const kNoUserFolder = "APPDATA names no folder";

std::string DefaultUserConfigDir() {
  const DWORD n = GetEnvironmentVariableW(kAppData, nullptr, 0);
  if (n <= 1) return {};
  std::wstring appData(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(kAppData, appData.data(), n);
  if (got == 0 || got >= n) return {};
  appData.resize(got);
  const fs::path folder(appData);
  if (!folder.is_absolute()) return {};
  return Utf8FromPath((folder / kFolderName).lexically_normal());
}

bool MakeSettingsFolder(const std::string& dir, std::string& error) {
  std::error_code ec;
  const fs::path path = PathFromUtf8(dir);
  if (fs::is_directory(path, ec)) return true;
  if (fs::exists(path, ec)) {
    error = kNotAFolder;
    return false;
  }
  // A new folder takes the rights of the one it is made in: under %APPDATA% the user's alone.
  fs::create_directories(path, ec);
  std::error_code check;
  if (fs::is_directory(path, check)) return true;
  error = ec ? ec.message() : kNotAFolder;
  return false;
}

std::string ExecutablePath(const char* argv0) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) break;
    if (n < buffer.size()) {
      buffer.resize(n);
      return Utf8FromPath(fs::path(buffer));
    }
    buffer.resize(buffer.size() * 2);
  }
  if (!argv0 || !*argv0) return {};
  std::error_code ec;
  return Utf8FromPath(fs::absolute(PathFromUtf8(argv0), ec).lexically_normal());
}

std::string DataFolder(const std::string& exePath) {
  if (exePath.empty()) return {};
  const fs::path candidate = PathFromUtf8(exePath).parent_path() / kDataFolder;
  std::error_code ec;
  if (fs::is_directory(candidate, ec)) return Utf8FromPath(candidate.lexically_normal());
  return {};
}

}  // namespace zentory
