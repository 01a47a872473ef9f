// Where the program's files are: the settings folder (setup.ini, shortcut.dat, readings.txt and a
// user's own menu.wav) and the data folder of the files the program ships (our menu.wav). Every
// front end finds them through here, so the window, --script and --reading agree.
#pragma once

#include <string>
#include <vector>

namespace zentory {

// How the settings folder is chosen on the command line.
struct FolderChoice {
  enum class Kind {
    kCurrent,  // no option: the current directory, so a folder per project keeps its own keys
    kGiven,    // --config DIR
    kUser,     // --user-config: DefaultUserConfigDir()
  };
  Kind kind = Kind::kCurrent;
  std::string dir;  // the DIR of --config
};

// Takes --config DIR, --config=DIR and --user-config out of ARGS (ARGS[0], the program, stays;
// the other arguments keep their order). False, with the reason in ERROR, when --config lacks its
// folder or a second folder option is given.
bool TakeFolderOptions(std::vector<std::string>& args, FolderChoice& choice, std::string& error);

// The folder of --user-config: %APPDATA%\Zentory on Windows, elsewhere UserConfigDir of the
// environment's XDG_CONFIG_HOME and HOME. Empty when the system names none; kNoUserFolder then
// says why.
std::string DefaultUserConfigDir();
extern const char* const kNoUserFolder;

// The user's settings folder on POSIX systems: XDGCONFIGHOME/zentory, or HOME/.config/zentory when
// XDGCONFIGHOME is null, empty or not an absolute path. Empty when neither variable gives a folder.
std::string UserConfigDir(const char* xdgConfigHome, const char* home);

// Makes sure DIR is a folder, creating it with its missing parents when it is not there (DIR
// itself readable by its owner alone: mode 0700, or on Windows the user's own profile folder's
// rights). A folder already there is left as it is. False,
// with the reason in ERROR, when DIR cannot be had.
bool MakeSettingsFolder(const std::string& dir, std::string& error);

// The settings folder CHOICE names, as an absolute path. The current directory is taken as it is
// (reported by the general error when it cannot be had); a given or user folder is created when
// missing. A folder that cannot be had is one line in PROBLEMS, and the result is empty: the
// program then starts from the defaults and writes nothing.
std::string SettingsFolder(const FolderChoice& choice, std::vector<std::string>& problems);

// The program's own path (the link /proc/self/exe, or the module's path on Windows; ARGV0 when
// that cannot be read); empty when neither gives it.
std::string ExecutablePath(const char* argv0);

// The data folder for the program at EXEPATH: EXEDIR/share/zentory in a build tree, else
// EXEDIR/../share/zentory as installed; on Windows EXEDIR\data. Empty when it is not a folder.
std::string DataFolder(const std::string& exePath);

}  // namespace zentory
