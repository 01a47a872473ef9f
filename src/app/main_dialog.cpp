#include "app/main_dialog.h"

#include <algorithm>
#include <filesystem>

#include "app/app_texts.h"
#include "app/playback_control.h"
#include "app/recovery_writer.h"
#include "app/settings.h"
#include "base/error_report.h"
#include "base/general.h"
#include "base/text_codec.h"
#include "edit/command_ids.h"
#include "edit/edit_texts.h"
#include "edit/position_wording.h"
#include "sound/master_volume.h"
#include "sound/speech_common.h"
#include "sound/wave_player.h"

namespace zentory {

namespace {
constexpr std::size_t kTextInputLimit = 254;  // CP932 bytes a marker text may take
constexpr std::int64_t kQuitPauseMs = 4000;
constexpr std::int64_t kMenuSoundStopPauseMs = 3000;
}  // namespace

bool IsKnownCommand(int command) { return command != 0 && FindCommandEntry(command) != nullptr; }

namespace {
EditServices MakeEditServices(IEditFeedback* feedback, SettingsBlock* settings,
                              const std::array<int, 16>* channelPlayState,
                              const Platform& platform) {
  EditServices services;
  services.feedback = feedback;
  services.settings = settings;
  services.clock = platform.clock;
  services.timers = platform.timers;
  services.post = platform.post;
  services.channelPlayState = channelPlayState;
  return services;
}
}  // namespace

CMainDialog::CMainDialog(const Platform& platform)
    : platform_(platform),
      hook_(platform.keys),
      keyTable_(std::make_unique<CKeyTable>()),
      session_(MakeEditServices(this, &settings_, &channelPlayState_, platform)) {
  channelPlayState_.fill(1);
}

CMainDialog::~CMainDialog() { Shutdown(); }

std::string CMainDialog::SettingsPath() const { return JoinAppPath(platform_.appDir, "setup.ini"); }
std::string CMainDialog::ShortcutPath() const {
  return JoinAppPath(platform_.appDir, "shortcut.dat");
}
std::string CMainDialog::MenuSoundPath() const {
  if (!platform_.appDir.empty()) {
    // A menu.wav the user put beside setup.ini is theirs even when it cannot be read: its fault
    // is reported rather than covered by ours.
    std::string own = JoinAppPath(platform_.appDir, "menu.wav");
    std::error_code ec;
    const bool ownThere = std::filesystem::exists(PathFromUtf8(own), ec) || ec;
    if (ownThere || platform_.dataDir.empty()) return own;
  }
  if (platform_.dataDir.empty()) return {};
  return JoinAppPath(platform_.dataDir, "menu.wav");
}

void CMainDialog::Start() {
  if (started_ || shutDown_) return;
  started_ = true;
  channelPlayState_.fill(1);

  // The voice fills the voice controls and sets the sliders from the engine; the settings then
  // take those slider positions as the defaults for a first run.
  speech_ = std::make_unique<CSpeechCommon>(platform_.speech, platform_.view);
  int rate = 0, volume = kVolumeMax;
  // Without a voice the sliders hold nothing of the engine's; their positions would be stored
  // as the user's settings (a volume of 0 silences every later run with a voice).
  if (platform_.view && speech_->HasVoice()) {
    rate = platform_.view->SliderPosition(Slider::kRate);
    volume = platform_.view->SliderPosition(Slider::kVolume);
  }
  settings_ = platform_.appDir.empty() ? DefaultSettings(rate, volume)
                                       : LoadSettings(SettingsPath(), rate, volume);
  // A damaged file may hold any number; the sliders only know their ranges.
  settings_.speechRate = std::clamp(settings_.speechRate, kRateMin, kRateMax);
  settings_.speechVolume = std::clamp(settings_.speechVolume, kVolumeMin, kVolumeMax);
  std::string startNotes;
  if (speech_->HasVoice() && settings_.speechVolume == 0) {
    // A blind user cannot find a silent voice's slider.
    settings_.speechVolume = kVolumeMax;
    startNotes = texts::kSpeechVolumeRaised;
  }
  if (platform_.view) {
    // The ranges are set here too: without a voice nobody else sets them, and a slider of the
    // wrong range would clamp the stored values and lose them at shutdown.
    platform_.view->SetSliderRange(Slider::kRate, kRateMin, kRateMax, 5);
    platform_.view->SetSliderRange(Slider::kVolume, kVolumeMin, kVolumeMax, 10);
    platform_.view->SetSliderPosition(Slider::kRate, settings_.speechRate);
    platform_.view->SetSliderPosition(Slider::kVolume, settings_.speechVolume);
  }
  // The voice speaks at the stored rate and volume from the first announcement on, as the
  // sliders show.
  if (speech_->HasVoice()) {
    if (settings_.speechRate != rate) speech_->ChangeRate(settings_.speechRate);
    if (settings_.speechVolume != volume) speech_->ChangeVolume(settings_.speechVolume);
  }

  LoadOwnSettings();

  RestoreMainKeyHandler();
  if (!hook_.Installed()) ShowMessageBox(texts::kNoKeyboard);

  if (!platform_.appDir.empty()) keyTable_->Load(ShortcutPath());
  menuMode_ = false;
  // After the key table: the start-up names the restore command's key as the user has it.
  StartRecovery(startNotes);

  OpenEditorDevice();
  CPlaybackControl::Ports play;
  play.midi = platform_.midi;
  play.clock = platform_.clock;
  play.timers = platform_.timers;
  play.post = platform_.post;
  play.releaseEditorDevice = [this] { CloseEditorDevice(); };
  play.reopenEditorDevice = [this] { OpenEditorDevice(); };
  playback_ = std::make_unique<CPlaybackControl>(std::move(play));
  session_.SetPlayback(playback_.get());

  session_.NewSong(startNotes);
  RaiseSilentVolumes(platform_.mixer, [this](std::string_view text) { Announce(text); });
  wavePlayer_ = std::make_unique<CWavePlayer>(std::vector<IAudioOutput*>{platform_.audio});
}

void CMainDialog::OpenEditorDevice() {
  if (midiOut_) return;
  midiOut_ = std::make_unique<CMidiOutDevice>(platform_.midi, -1);
  session_.SetOutput(midiOut_.get());
  // After a play the device starts from the edit target's program and volume again.
  session_.SendTrackState(false);
}

void CMainDialog::CloseEditorDevice() {
  // The preview's timer must not find the device gone.
  session_.StopPreview();
  session_.SetOutput(nullptr);
  midiOut_.reset();
}

bool CMainDialog::PlaybackActive() const { return playback_ && playback_->Active(); }

void CMainDialog::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // Never started: nothing was loaded, so nothing may overwrite the user's files.
  if (!started_) return;

  if (menuMode_ && menuSoundPlaying_) {
    StopMenuSound();
    if (platform_.clock) platform_.clock->SleepMs(kMenuSoundStopPauseMs);
  }
  menuMode_ = false;
  if (quitPending_ && platform_.timers) platform_.timers->Cancel(quitTimer_);
  quitPending_ = false;
  hook_.Remove();
  hook_.SetKeyHandlers(nullptr, nullptr);
  const bool voiceRan = speech_ && speech_->HasVoice();
  speech_.reset();

  // Without a voice the settings keep what was read at start-up or set with the sliders.
  if (platform_.view && voiceRan) {
    settings_.speechRate = platform_.view->SliderPosition(Slider::kRate);
    settings_.speechVolume = platform_.view->SliderPosition(Slider::kVolume);
  }
  if (!platform_.appDir.empty()) SaveSettings(SettingsPath(), settings_);
  SaveOwnSettings();

  StopRecovery();
  // A running play stops before its device and data go.
  session_.SetPlayback(nullptr);
  playback_.reset();
  CloseEditorDevice();
  session_.FreeSong();
  wavePlayer_.reset();
}

void CMainDialog::OnKeyDown(int key, int ctrl, int shift, int alt) {
  hook_.OnKeyDown(key, ctrl, shift, alt);
}

void CMainDialog::OnKeyUp(int key, int ctrl, int shift, int alt) {
  hook_.OnKeyUp(key, ctrl, shift, alt);
}

void CMainDialog::OnTestButton() {
  if (speech_) speech_->Speak(texts::kTestSpeech);
}

void CMainDialog::OnVoiceSelected() {
  if (speech_) speech_->SelectVoice();
}

void CMainDialog::OnFormatSelected() {
  if (speech_) speech_->ChangeOutputFormat();
}

void CMainDialog::OnRateSlider(int position) {
  if (started_ && !shutDown_) settings_.speechRate = position;
  if (speech_) speech_->ChangeRate(position);
}

void CMainDialog::OnVolumeSlider(int position) {
  if (started_ && !shutDown_) settings_.speechVolume = position;
  if (speech_) speech_->ChangeVolume(position);
}

void CMainDialog::OnPosted(int message) {
  if (!started_ || shutDown_) return;
  if (message == kMsgPlaybackEnded) {
    if (!playback_ || playback_->OnEnded()) Announce(texts::kPlaybackEnded);
  } else if (message == kMsgPlayReport) {
    if (playback_) playback_->ShowReports();
  } else if (message == kMsgVelocityTooLow) {
    Announce(texts::kVelocityTooLow);
  } else if (message == kMsgRecoveryDue) {
    RecoveryDue();
  } else if (message == kMsgQuitPauseOver) {
    // A cancelled quit's message may still arrive; only the pause in force ends the run.
    if (quitPending_ && (!platform_.clock || platform_.clock->NowMs() >= quitDueMs_)) {
      quitPending_ = false;
      if (platform_.view) platform_.view->Close();
    }
  }
}

void CMainDialog::Announce(std::string_view text) {
  if (speech_) speech_->Speak(text);
  if (platform_.view) platform_.view->SetGuideText(text);
}

void CMainDialog::SongChanged() {
  if (recovery_) recovery_->NoteChange();
}

void CMainDialog::UpdateStatusFields() {
  if (!platform_.view) return;
  platform_.view->SetPositionField(StatusPositionText(session_.Position()));
  platform_.view->SetTrackField(StatusTrackText(session_.Position()));
}

// ---- key handlers and dialogs ----

void CMainDialog::RestoreMainKeyHandler() {
  if (shutDown_) return;
  hook_.Remove();
  hook_.Install();
  hook_.SetKeyHandlers(
      [this](int key, int ctrl, int shift, int alt) { MainKeyHandler(key, ctrl, shift, alt); },
      nullptr);
}

void CMainDialog::BeginValueEntry(EntryKeyHandler handler, std::string_view prompt) {
  if (shutDown_) return;
  hook_.Remove();
  hook_.Install();
  hook_.SetKeyHandlers(std::move(handler), nullptr);
  Announce(prompt);
}

std::optional<std::string> CMainDialog::RunOpenFileDialog(std::string_view defaultExtension,
                                                          std::string_view filter) {
  hook_.Remove();
  Announce(texts::kOpenDialogNotice);
  std::optional<std::string> path;
  if (platform_.dialogs) path = platform_.dialogs->OpenFile(defaultExtension, filter);
  RestoreMainKeyHandler();
  return path;
}

std::optional<std::string> CMainDialog::RunSaveFileDialog(std::string_view defaultExtension,
                                                          std::string_view filter) {
  hook_.Remove();
  Announce(texts::kSaveDialogNotice);
  std::optional<std::string> path;
  if (platform_.dialogs) path = platform_.dialogs->SaveFile(defaultExtension, filter);
  RestoreMainKeyHandler();
  return path;
}

std::string CMainDialog::RunTextInputDialog() {
  hook_.Remove();
  Announce(texts::kTextDialogNotice);
  std::string text;
  if (platform_.dialogs) text = platform_.dialogs->TextInput();
  RestoreMainKeyHandler();
  return Utf8CutToCp932Length(text, kTextInputLimit);
}

// ---- routing ----

void CMainDialog::MainKeyHandler(int key, int ctrl, int shift, int alt) {
  if (shutDown_) return;
  if (quitPending_) {
    // A held key's repeats neither confirm nor cancel; any new press cancels and does nothing
    // else.
    if (!hook_.Repeating()) CancelQuit();
    return;
  }
  // The keypad digits are the main digits everywhere, key-table lookups included.
  if (key >= 0x60 && key <= 0x69) key -= 0x30;

  if (key == 0x12 && alt && !ctrl && !shift) {
    if (menuMode_) {
      LeaveMenuMode(true);
    } else {
      EnterMenuMode();
    }
    return;
  }

  if (!menuMode_) {
    // Keys held with Ctrl or Alt are commands, never notes.
    session_.SetChangeName(edit_texts::kNoteEntryChange);
    if (session_.OnNoteKey(key, ctrl, shift, alt)) return;
    if (const KeyAssignment* row = keyTable_->Find(key, ctrl, shift, alt)) {
      ExecuteCommand(row->command);
    }
    return;
  }

  if (key == 0x1B) {
    LeaveMenuMode(true);
    return;
  }
  MenuNavigation(key);
}

void CMainDialog::EnterMenuMode() {
  menuMode_ = true;
  if (settings_.menuSound == 1) StartMenuSound();
  menu_.category = 1;
  menu_.commands = CommandsOfCategory(menu_.category);
  menu_.selected = -1;
  AnnounceCategory();
}

void CMainDialog::LeaveMenuMode(bool announceSilence) {
  // A sound started on entry is stopped even when the setting was switched off meanwhile.
  if (menuSoundPlaying_) StopMenuSound();
  if (announceSilence) Announce("");
  menuMode_ = false;
}

void CMainDialog::MenuNavigation(int key) {
  const int count = static_cast<int>(menu_.commands.size());
  switch (key) {
    case 0x25:  // Left
    case 0x27:  // Right
      menu_.category += key == 0x25 ? -1 : 1;
      if (menu_.category < 1) menu_.category = 8;
      if (menu_.category > 8) menu_.category = 1;
      menu_.commands = CommandsOfCategory(menu_.category);
      menu_.selected = -1;
      AnnounceCategory();
      return;
    case 0x26:  // Up
      if (count == 0) return;
      menu_.selected = menu_.selected - 1 < 0 ? count - 1 : menu_.selected - 1;
      AnnounceSelectedCommand();
      return;
    case 0x28:  // Down
      if (count == 0) return;
      menu_.selected = menu_.selected + 1 >= count ? 0 : menu_.selected + 1;
      AnnounceSelectedCommand();
      return;
    case 0x0D:  // Return
      if (count == 0) return;
      if (menu_.selected < 0 || menu_.selected >= count) {
        menu_.selected = 0;
        AnnounceSelectedCommand();
        return;
      }
      // The command runs while menu mode and its sound still hold, so a dialog opened from the
      // menu keeps the sound behind it; the mode ends quietly afterwards, leaving the command's
      // own announcement standing.
      ExecuteCommand(menu_.commands[static_cast<std::size_t>(menu_.selected)].command);
      if (!shutDown_ && menuMode_) LeaveMenuMode(false);
      return;
    default:
      return;
  }
}

void CMainDialog::AnnounceCategory() {
  for (const CommandCategory& row : CommandCategories()) {
    if (row.id == menu_.category) {
      Announce(row.name);
      return;
    }
  }
}

void CMainDialog::AnnounceSelectedCommand() {
  Announce(SpokenCommandItem(menu_.commands[static_cast<std::size_t>(menu_.selected)], *keyTable_));
}

void CMainDialog::StartMenuSound() {
  if (wavePlayer_) wavePlayer_->StartSound(0, MenuSoundPath(), 1);
  menuSoundPlaying_ = true;
}

void CMainDialog::StopMenuSound() {
  if (wavePlayer_) wavePlayer_->StopSound(0);
  menuSoundPlaying_ = false;
}

// ---- commands ----

void CMainDialog::ExecuteCommand(int command) {
  if (shutDown_ || !IsKnownCommand(command)) return;
  // A chord typed but not yet inserted goes in before any command runs.
  session_.SetChangeName(edit_texts::kNoteEntryChange);
  session_.FlushPendingNotes();
  if ((command == command::kNewSong || command == command::kLoad) && !GuardUnsaved(command)) {
    return;
  }
  // The change the command makes is named by its description in the history.
  std::string_view name = FindCommandEntry(command)->description;
  while (!name.empty() && (name.back() == '\t' || name.back() == ' ')) name.remove_suffix(1);
  session_.SetChangeName(name);
  if (session_.ExecuteCommand(command)) {
    // A save, a load or a new song leaves nothing to recover.
    DiscardRecoveryWhenSaved();
    return;
  }

  if (command >= command::kPlayStateFirst && command < command::kPlayStateFirst + 16) {
    ToggleChannelPlayState(command - command::kPlayStateFirst);
    return;
  }

  SettingsBlock& s = settings_;
  switch (command) {
    case command::kQuit:
      Quit();
      return;
    case command::kInputMode:
      s.inputMode = s.inputMode == 0 ? 1 : 0;
      Announce(s.inputMode == 1 ? texts::kKeyboardInputMode : texts::kMmlInputMode);
      return;
    case command::kPositionUnit:
      s.positionUnit = s.positionUnit == 1 ? 0 : 1;
      Announce(s.positionUnit == 1 ? texts::kTickUnit : texts::kSixteenthUnit);
      return;
    case command::kReadingStyle:
      s.abbreviatedReading = s.abbreviatedReading == 1 ? 0 : 1;
      Announce(s.abbreviatedReading == 1 ? texts::kAbbreviatedReading : texts::kFullReading);
      return;
    case command::kMenuSound:
      // Only the next entry into menu mode is affected.
      s.menuSound = s.menuSound == 1 ? 0 : 1;
      Announce(s.menuSound == 1 ? texts::kMenuSoundOn : texts::kMenuSoundOff);
      return;
    case command::kVersion:
      Announce(texts::kVersion);
      return;
    case command::kRestoreRecovery:
      RestoreRecovery();
      return;
    default:
      // Recognised; a feature not built yet does nothing.
      ExecuteSettingCommand(command);
      return;
  }
}

bool CMainDialog::GuardUnsaved(int command) {
  const std::int64_t now = platform_.clock ? platform_.clock->NowMs() : 0;
  if (unsavedGuard_.Allow(command, session_.Changed(), session_.StateId(), now)) return true;
  Announce(CUnsavedGuard::Warning(command, *keyTable_));
  return false;
}

void CMainDialog::Quit() {
  if (!GuardUnsaved(command::kQuit)) return;
  Announce(texts::kQuit);
  // The voice goes on speaking during the pause, and the window keeps taking keys, so that a
  // quit chosen by mistake can be taken back.
  quitPending_ = true;
  quitDueMs_ = (platform_.clock ? platform_.clock->NowMs() : 0) + kQuitPauseMs;
  IMainWindowPost* post = platform_.post;
  quitTimer_ = platform_.timers ? platform_.timers->StartOneShot(
                                      kQuitPauseMs, [post] { post->Post(kMsgQuitPauseOver); })
                                : 0;
  if (quitTimer_ == 0) {
    // Without a timer the pause cannot run out by itself.
    if (platform_.clock) platform_.clock->SleepMs(kQuitPauseMs);
    quitPending_ = false;
    if (platform_.view) platform_.view->Close();
  }
}

void CMainDialog::CancelQuit() {
  if (platform_.timers) platform_.timers->Cancel(quitTimer_);
  quitPending_ = false;
  Announce(texts::kQuitCancelled);
}

void CMainDialog::ToggleChannelPlayState(int channel) {
  int& state = channelPlayState_[static_cast<std::size_t>(channel)];
  state = state ? 0 : 1;
  Announce(texts::FormatNumbers(texts::kChannelNumber, {channel + 1}) +
           (state ? texts::kChannelOn : texts::kChannelOff));
}

}  // namespace zentory
