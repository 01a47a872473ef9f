#include "app/script_front_end.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <utility>

#include "app/app_texts.h"
#include "app/main_dialog.h"
#include "app/playback_control.h"
#include "base/error_report.h"
#include "base/text_codec.h"

namespace zentory {

namespace {

struct NamedKey {
  const char* name;
  int key;
};

// Names compare without letter case. Letters and digits are handled apart.
constexpr NamedKey kKeyNames[] = {
    {"space", 0x20}, {"return", 0x0D},  {"enter", 0x0D},    {"escape", 0x1B}, {"esc", 0x1B},
    {"left", 0x25},  {"up", 0x26},      {"right", 0x27},    {"down", 0x28},   {"home", 0x24},
    {"end", 0x23},   {"pageup", 0x21},  {"pagedown", 0x22}, {"delete", 0x2E}, {"backspace", 0x08},
    {"tab", 0x09},   {"numplus", 0x6B}, {"numminus", 0x6D}, {"^", 0xDE},      {"-", 0xBD},
    {"@", 0xC0},     {";", 0xBB},       {":", 0xBA},        {",", 0xBC},      {".", 0xBE},
    {"/", 0xBF},     {"[", 0xDB},       {"]", 0xDD},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<int> ParseDigits(std::string_view text, int base) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// The key of one name, modifiers included (a modifier named last is the key itself).
std::optional<int> KeyOfName(std::string_view name) {
  const std::string lower = Lower(name);
  if (lower.size() == 1) {
    char c = lower[0];
    if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
    if (c >= '0' && c <= '9') return c;
  }
  if (lower == "ctrl") return 0x11;
  if (lower == "shift") return 0x10;
  if (lower == "alt") return 0x12;
  if (lower.size() == 4 && lower.starts_with("num") &&
      std::isdigit(static_cast<unsigned char>(lower[3]))) {
    return 0x60 + (lower[3] - '0');
  }
  if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f') {
    if (auto n = ParseDigits(std::string_view(lower).substr(1), 10); n && *n >= 1 && *n <= 12) {
      return 0x6F + *n;
    }
  }
  if (lower.size() == 5 && lower.starts_with("vk_")) {
    if (auto n = ParseDigits(std::string_view(lower).substr(3), 16)) return *n;
  }
  for (const NamedKey& row : kKeyNames) {
    if (lower == row.name) return row.key;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ScriptKey> ParseKeyName(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  ScriptKey result;
  // The last part is the key; the parts before it must be modifiers.
  for (;;) {
    std::size_t plus = text.find('+');
    // A '+' as the very last character would name an empty key.
    if (plus == std::string_view::npos) break;
    const std::string modifier = Lower(Trim(text.substr(0, plus)));
    if (modifier == "ctrl") {
      result.ctrl = 1;
    } else if (modifier == "shift") {
      result.shift = 1;
    } else if (modifier == "alt") {
      result.alt = 1;
    } else {
      return std::nullopt;
    }
    text.remove_prefix(plus + 1);
  }
  auto key = KeyOfName(Trim(text));
  if (!key) return std::nullopt;
  result.key = *key;
  // A modifier pressed alone is held while it is pressed.
  if (result.key == 0x11) result.ctrl = 1;
  if (result.key == 0x10) result.shift = 1;
  if (result.key == 0x12) result.alt = 1;
  return result;
}

std::optional<ScriptLine> ParseScriptLine(std::string_view line, std::string* error) {
  // Scripts saved by Windows editors may begin with a byte-order mark.
  if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
  line = Trim(line);
  ScriptLine result;
  if (line.empty() || line.front() == '#') return result;
  // "@" alone is the @ key (program in MML mode); only "@word" is a directive.
  if (line.front() == '@' && line.size() > 1) {
    std::size_t space = line.find_first_of(" \t");
    const std::string word = Lower(line.substr(0, space));
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : Trim(line.substr(space + 1));
    if (word == "@open" && !rest.empty()) {
      result.kind = ScriptLine::Kind::kOpen;
    } else if (word == "@save" && !rest.empty()) {
      result.kind = ScriptLine::Kind::kSave;
    } else if (word == "@text") {
      result.kind = ScriptLine::Kind::kText;
    } else if (word == "@cancel" && rest.empty()) {
      result.kind = ScriptLine::Kind::kCancel;
    } else if (word == "@abort" && rest.empty()) {
      result.kind = ScriptLine::Kind::kAbort;
      return result;
    } else if (word == "@wait") {
      auto ms = ParseDigits(rest, 10);
      if (!ms || *ms < 0) {
        if (error) *error = texts::kScriptBadWait;
        return std::nullopt;
      }
      result.kind = ScriptLine::Kind::kWait;
      result.waitMs = *ms;
      return result;
    } else {
      if (error) *error = texts::kScriptUnknownDirective;
      return std::nullopt;
    }
    result.argument = std::string(rest);
    return result;
  }
  auto key = ParseKeyName(line);
  if (!key) {
    if (error) *error = texts::kScriptUnknownKey;
    return std::nullopt;
  }
  result.kind = ScriptLine::Kind::kKey;
  result.key = *key;
  return result;
}

// ---- CScriptView ----

void CScriptView::SetGuideText(std::string_view text) {
  guide = text;
  out_ << EchoLine("say: ", text) << '\n';
  out_.flush();
}

void CScriptView::SetVoiceList(const std::vector<std::string>& rows, int selected) {
  voiceSelected_ = selected >= 0 && selected < static_cast<int>(rows.size()) ? selected : -1;
}

void CScriptView::SetFormatList(const std::vector<std::string>& rows, int selected) {
  formatSelected_ = selected >= 0 && selected < static_cast<int>(rows.size()) ? selected : -1;
}

void CScriptView::SetSliderRange(Slider slider, int min, int max, int /*page*/) {
  Range& r = slider == Slider::kRate ? rate_ : volume_;
  r.min = min;
  r.max = std::max(min, max);
  r.position = std::clamp(r.position, r.min, r.max);
}

void CScriptView::SetSliderPosition(Slider slider, int position) {
  Range& r = slider == Slider::kRate ? rate_ : volume_;
  r.position = std::clamp(position, r.min, r.max);
}

int CScriptView::SliderPosition(Slider slider) const {
  return slider == Slider::kRate ? rate_.position : volume_.position;
}

// ---- CScriptDialogs ----

std::optional<std::string> CScriptDialogs::Answer(ScriptLine::Kind wanted) {
  if (answers_.empty()) return std::nullopt;
  ScriptLine answer = std::move(answers_.front());
  answers_.pop_front();
  if (answer.kind == ScriptLine::Kind::kCancel) return std::nullopt;
  if (answer.kind != wanted) {
    err_ << "zentory: " << texts::kScriptDialogMismatch << '\n';
    return std::nullopt;
  }
  return answer.argument;
}

std::optional<std::string> CScriptDialogs::OpenFile(std::string_view, std::string_view) {
  return Answer(ScriptLine::Kind::kOpen);
}

std::optional<std::string> CScriptDialogs::SaveFile(std::string_view, std::string_view) {
  return Answer(ScriptLine::Kind::kSave);
}

std::string CScriptDialogs::TextInput() {
  return Answer(ScriptLine::Kind::kText).value_or(std::string());
}

// ---- CScriptKeySource, CScriptPost, CSilentSpeech ----

bool CScriptKeySource::Install(IKeySink* sink) {
  sink_ = sink;
  return sink_ != nullptr;
}

bool CScriptKeySource::Deliver(const ScriptKey& key) {
  if (!sink_) return false;
  sink_->OnKeyDown(key.key, key.ctrl, key.shift, key.alt);
  return true;
}

void CScriptPost::Post(int message) {
  std::lock_guard lock(mutex_);
  queue_.push_back(message);
}

std::optional<int> CScriptPost::Take() {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return std::nullopt;
  int message = queue_.front();
  queue_.pop_front();
  return message;
}

bool CSilentSpeech::SetRate(int value) {
  rate_ = std::clamp(value, -10, 10);
  return true;
}

bool CSilentSpeech::SetVolume(int value) {
  volume_ = std::clamp(value, 0, 100);
  return true;
}

bool CSilentSpeech::SetOutputFormat(const AudioFormat& format) {
  format_ = format;
  return true;
}

// ---- the run ----

namespace {

// Message boxes of the run go to the run's error stream and are answered OK.
class CScriptMessageBox : public IMessageBox {
 public:
  explicit CScriptMessageBox(std::ostream& err) : err_(err) {}
  int Show(std::string_view text) override {
    std::lock_guard lock(mutex_);
    err_ << EchoLine("box: ", text) << '\n';
    err_.flush();
    return 1;
  }

 private:
  std::mutex mutex_;
  std::ostream& err_;
};

constexpr std::int64_t kPlayEndStepMs = 10;

constexpr std::int64_t kPlayThreadWaitMs = 10000;

void DrainPosts(CScriptPost& post, CMainDialog& dialog) {
  while (auto message = post.Take()) dialog.OnPosted(*message);
}

bool PlayChainAlive(CMainDialog& dialog) {
  return dialog.PlaybackActive() && dialog.Playback()->Player().IsPlaying();
}

// The play thread posts a play's end once the timer chain has run out. Waiting for that thread
// here, and only then reading the posts, puts the end report where the play's due time puts it
// on the script's clock, however slowly the machine runs the thread.
void TakeEndOfPlay(CScriptPost& post, CMainDialog& dialog) {
  if (dialog.PlaybackActive() && !dialog.Playback()->Player().IsPlaying()) {
    dialog.Playback()->Player().WaitIdle(kPlayThreadWaitMs);
  }
  DrainPosts(post, dialog);
}

// Lets MS pass on the script's clock. While a play runs, time passes a millisecond at a time, so
// that a play ending inside the wait is reported, and the editor's device opened again, at the
// millisecond its last event falls due.
void WaitOnScriptClock(IClock* clock, std::int64_t ms, CScriptPost& post, CMainDialog& dialog) {
  if (!clock) return;
  while (ms > 0) {
    if (!PlayChainAlive(dialog)) {
      clock->SleepMs(ms);
      return;
    }
    clock->SleepMs(1);
    --ms;
    TakeEndOfPlay(post, dialog);
  }
}

}  // namespace

int RunScript(std::istream& script, std::string_view name, const ScriptEnvironment& env,
              std::ostream& out, std::ostream& err) {
  CScriptMessageBox box(err);
  ScopedMessageBoxTarget boxScope(&box);
  CScriptView view(out);
  CScriptKeySource keys;
  CScriptDialogs dialogs(err);
  CScriptPost post;

  Platform platform;
  platform.view = &view;
  platform.keys = &keys;
  platform.dialogs = &dialogs;
  platform.speech = env.speech;
  platform.clock = env.clock;
  platform.timers = env.timers;
  platform.post = &post;
  platform.midi = env.midi;
  platform.audio = env.audio;
  platform.mixer = env.mixer;
  platform.appDir = env.appDir;
  platform.dataDir = env.dataDir;
  platform.processId = env.processId;

  int result = 0;
  {
    CMainDialog dialog(platform);
    dialog.Start();
    DrainPosts(post, dialog);

    std::string line;
    long lineNumber = 0;
    while (!view.closed && std::getline(script, line)) {
      ++lineNumber;
      std::string error;
      auto parsed = ParseScriptLine(line, &error);
      if (!parsed) {
        err << "zentory: " << name << ':' << lineNumber << ": " << error << ": " << Trim(line)
            << '\n';
        result = 1;
        break;
      }
      switch (parsed->kind) {
        case ScriptLine::Kind::kBlank:
          break;
        case ScriptLine::Kind::kKey:
          keys.Deliver(parsed->key);
          break;
        case ScriptLine::Kind::kWait:
          WaitOnScriptClock(env.clock, parsed->waitMs, post, dialog);
          break;
        case ScriptLine::Kind::kAbort:
          // Stands in for a crash or a kill: nothing of the shutdown runs.
          out.flush();
          err.flush();
          std::_Exit(kScriptAbortExitCode);
        default:
          dialogs.Push(std::move(*parsed));
          break;
      }
      TakeEndOfPlay(post, dialog);
    }
    // A play still running goes on in the script's time until it has ended, so the message log
    // shows everything a script's play sent.
    while (dialog.PlaybackActive()) {
      CPlayer& player = dialog.Playback()->Player();
      if (player.IsPlaying()) {
        if (env.clock) env.clock->SleepMs(1);
      } else {
        player.WaitIdle(kPlayEndStepMs);  // the play thread closes its device
      }
      DrainPosts(post, dialog);
    }
    DrainPosts(post, dialog);
    // A quit asked for on the last lines ends after its pause, as in the window.
    while (dialog.QuitPending() && !view.closed && env.clock) {
      env.clock->SleepMs(kPlayEndStepMs);
      DrainPosts(post, dialog);
    }
    // The end of the script closes the window as its OK button would.
    dialog.Shutdown();
  }
  return result;
}

}  // namespace zentory
