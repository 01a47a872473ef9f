// The key-script front end: runs the main window with no window, one key per script line, and
// writes every announcement to standard output ("say: TEXT") and every message box to standard
// error ("box: TEXT"). Waits run in virtual time, so a script never sleeps.
#pragma once

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/ports/audio_output.h"
#include "base/ports/clock.h"
#include "base/ports/dialogs.h"
#include "base/ports/key_source.h"
#include "base/ports/main_window_post.h"
#include "base/ports/midi_port.h"
#include "base/ports/mixer.h"
#include "base/ports/speech.h"
#include "base/ports/window_view.h"

namespace zentory {

struct ScriptKey {
  int key = 0;
  int ctrl = 0, shift = 0, alt = 0;
  bool operator==(const ScriptKey&) const = default;
};

// "Ctrl+Shift+A", "Alt", "Shift+;", "Num5", "VK_DE", ... (names ignore letter case). Nothing when
// a part is not a key name.
std::optional<ScriptKey> ParseKeyName(std::string_view text);

struct ScriptLine {
  enum class Kind { kBlank, kKey, kOpen, kSave, kText, kCancel, kWait, kAbort };
  Kind kind = Kind::kBlank;
  ScriptKey key;            // kKey
  std::string argument;     // kOpen, kSave, kText
  std::int64_t waitMs = 0;  // kWait
};

// One line of a script (comments and blank lines are kBlank). On a line that is neither a key
// nor a known directive: nothing, with the reason in *ERROR.
std::optional<ScriptLine> ParseScriptLine(std::string_view line, std::string* error);

// The window: announcements go to OUT as they are shown; the rest is kept in memory.
class CScriptView : public IWindowView {
 public:
  explicit CScriptView(std::ostream& out) : out_(out) {}
  void SetGuideText(std::string_view text) override;
  void SetPositionField(std::string_view text) override { positionField = text; }
  void SetTrackField(std::string_view text) override { trackField = text; }
  void SetVoiceList(const std::vector<std::string>& rows, int selected) override;
  int SelectedVoice() const override { return voiceSelected_; }
  void SetFormatList(const std::vector<std::string>& rows, int selected) override;
  int SelectedFormat() const override { return formatSelected_; }
  void SetSliderRange(Slider slider, int min, int max, int page) override;
  void SetSliderPosition(Slider slider, int position) override;
  int SliderPosition(Slider slider) const override;
  void Close() override { closed = true; }

  std::string guide, positionField, trackField;
  bool closed = false;

 private:
  struct Range {
    int min = -1000000, max = 1000000, position = 0;
  };
  std::ostream& out_;
  int voiceSelected_ = -1, formatSelected_ = -1;
  Range rate_, volume_;
};

// The dialogs answer from the @ lines read so far, oldest first; with none left, or with an
// answer of the wrong kind (reported to ERR), the dialog is cancelled.
class CScriptDialogs : public IDialogs {
 public:
  explicit CScriptDialogs(std::ostream& err) : err_(err) {}
  std::optional<std::string> OpenFile(std::string_view, std::string_view) override;
  std::optional<std::string> SaveFile(std::string_view, std::string_view) override;
  std::string TextInput() override;
  void Push(ScriptLine answer) { answers_.push_back(std::move(answer)); }

 private:
  std::optional<std::string> Answer(ScriptLine::Kind wanted);
  std::ostream& err_;
  std::deque<ScriptLine> answers_;
};

class CScriptKeySource : public IKeySource {
 public:
  bool Install(IKeySink* sink) override;
  void Remove() override { sink_ = nullptr; }
  bool Installed() const override { return sink_ != nullptr; }
  // False when no hook takes the key.
  bool Deliver(const ScriptKey& key);

 private:
  IKeySink* sink_ = nullptr;
};

// Posted messages wait here until the runner hands them to the main window between lines.
class CScriptPost : public IMainWindowPost {
 public:
  void Post(int message) override;
  std::optional<int> Take();

 private:
  std::mutex mutex_;
  std::deque<int> queue_;
};

// "--speech none": a voice that says nothing and complains about nothing.
class CSilentSpeech : public ISpeechSynth {
 public:
  std::vector<std::string> Voices() override { return {}; }
  int CurrentVoice() override { return -1; }
  bool SelectVoice(int) override { return true; }
  void Speak(std::string_view) override {}
  bool SetRate(int value) override;
  std::optional<int> Rate() override { return rate_; }
  bool SetVolume(int value) override;
  std::optional<int> Volume() override { return volume_; }
  std::optional<AudioFormat> OutputFormat() override { return format_; }
  bool SetOutputFormat(const AudioFormat& format) override;

 private:
  int rate_ = 0, volume_ = 100;
  AudioFormat format_{};
};

// What the caller brings: time (virtual in scripts), the backends chosen by the options.
struct ScriptEnvironment {
  IClock* clock = nullptr;          // required
  ITimerService* timers = nullptr;  // required
  ISpeechSynth* speech = nullptr;   // null: no voice
  IMidiOutput* midi = nullptr;
  IAudioOutput* audio = nullptr;
  IMixer* mixer = nullptr;
  std::string appDir;   // the settings folder (see Platform)
  std::string dataDir;  // the shipped files
  long processId = 0;   // names the recovery files; 0: none are written
};

// The exit code of "@abort", which ends the process at once, as a crash would: no shutdown, no
// settings written, the recovery files left as they are.
inline constexpr int kScriptAbortExitCode = 3;

// Starts the main window, runs SCRIPT line by line (NAME names it in error messages) and shuts
// down as the OK button would, or earlier after Ctrl+Q. Returns 0, or 1 after a script error
// (the shutdown still runs).
int RunScript(std::istream& script, std::string_view name, const ScriptEnvironment& env,
              std::ostream& out, std::ostream& err);

}  // namespace zentory
