// The main window object: owner of everything long-lived (settings, key table, edit position,
// song, voice, hook), the key routing of edit and menu mode, and the commands that only switch a
// setting or the edit target. Front ends (the Qt window, the key-script runner) drive it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_table.h"
#include "app/keyboard_hook.h"
#include "app/own_settings.h"
#include "app/unsaved_guard.h"
#include "base/ports/audio_output.h"
#include "base/ports/clock.h"
#include "base/ports/dialogs.h"
#include "base/ports/key_source.h"
#include "base/ports/main_window_post.h"
#include "base/ports/midi_port.h"
#include "base/ports/mixer.h"
#include "base/ports/speech.h"
#include "base/ports/window_view.h"
#include "edit/edit_position.h"
#include "edit/edit_session.h"
#include "edit/settings_block.h"
#include "song/midi_data.h"
#include "sound/midi_out_device.h"

namespace zentory {

class CPlaybackControl;
class CRecoveryWriter;
class CSpeechCommon;
class CWavePlayer;

// Everything the main window talks to. Not owned; the front end keeps them alive for the run.
struct Platform {
  IWindowView* view = nullptr;      // required
  IKeySource* keys = nullptr;       // required
  IDialogs* dialogs = nullptr;      // required
  ISpeechSynth* speech = nullptr;   // null: no voice (a box says so once, texts still shown)
  IClock* clock = nullptr;          // required
  ITimerService* timers = nullptr;  // required
  IMainWindowPost* post = nullptr;  // required
  IMidiOutput* midi = nullptr;      // may be null: nothing is sent
  IAudioOutput* audio = nullptr;    // may be null
  IMixer* mixer = nullptr;          // may be null (key-script mode: never the user's mixer)
  // The settings folder: setup.ini, shortcut.dat, readings.txt and a user's own menu.wav. Empty
  // when there is none to be had: the defaults are used and nothing is written.
  std::string appDir;
  std::string dataDir;  // the files the program ships (menu.wav); empty: none found
  // Names this run's recovery files; 0: no recovery files are written.
  long processId = 0;
  // Recovery files are written on a thread of their own (the window); otherwise where the due
  // message is handled, so that a key script's clock decides when they are complete.
  bool backgroundRecovery = false;
};

// Menu mode: the category browsed and the command selected in it.
struct MenuState {
  int category = 1;                    // 1..8
  int selected = -1;                   // index into commands; -1 = nothing selected yet
  std::vector<CommandEntry> commands;  // the category's commands in table order
};

// True for every CommandId the command table knows (those of later features included).
bool IsKnownCommand(int command);

class CMainDialog : public IKeySink, public IEditFeedback {
 public:
  // The ranges of the voice's rate and volume sliders.
  static constexpr int kRateMin = -10, kRateMax = 10;
  static constexpr int kVolumeMin = 0, kVolumeMax = 100;

  explicit CMainDialog(const Platform& platform);
  ~CMainDialog() override;  // calls Shutdown() if it has not run
  CMainDialog(const CMainDialog&) = delete;
  CMainDialog& operator=(const CMainDialog&) = delete;

  // The start-up steps: voice, settings, hook with the main key handler, key table, MIDI output,
  // the new song (announced), note-entry defaults. Runs once.
  void Start();
  // The shutdown steps, once: hook removed, voice destroyed, setup.ini written (slider positions
  // first), key table, MIDI output and song freed. Nothing reacts to keys afterwards.
  void Shutdown();
  bool Started() const { return started_; }
  bool ShutDown() const { return shutDown_; }

  // Window events the front end forwards. Keys normally arrive through the key source the hook
  // installs; these two are the same entry for a front end that delivers keys itself (they are
  // dropped while the hook is removed, as during a modal dialog).
  void OnKeyDown(int key, int ctrl, int shift, int alt) override;
  void OnKeyUp(int key, int ctrl, int shift, int alt) override;
  void OnTestButton();  // speaks "あいうえお", guide text unchanged
  void OnVoiceSelected();
  void OnFormatSelected();
  void OnRateSlider(int position);
  void OnVolumeSlider(int position);
  void OnPosted(int message);  // kMsgPlaybackEnded / kMsgVelocityTooLow, on the UI thread
  // Quit (Ctrl+Q) announces and starts a 4000 ms timer on the clock; when it has run out (its
  // message posted back) view->Close() is called; the front end then closes the window and calls
  // Shutdown() (it must not destroy this object from inside Close(): a handler is still
  // returning). A new key press during the pause cancels the quit. The OK button / close box:
  // the front end calls Shutdown() directly (no announcement).
  bool QuitPending() const { return quitPending_; }
  // The program is about to end without a shutdown (a logout, a session end, a termination
  // signal): the changed song goes to the recovery file now.
  void WriteRecoveryNow();

  // Speaks TEXT (cutting off what is being said) and shows it as the guide text. The empty text
  // silences and empties the guide.
  void Announce(std::string_view text) override;
  // Rewrites the two status fields from the edit position.
  void UpdateStatusFields() override;
  void SongChanged() override;

  // The handler of edit and menu mode.
  void MainKeyHandler(int key, int ctrl, int shift, int alt);
  // Runs one command; an unknown id does nothing.
  void ExecuteCommand(int command);

  // Key-handler plumbing for value entries and dialogs.
  CKeyboardHook& Hook() { return hook_; }
  void RestoreMainKeyHandler() override;
  // Remove, install, install HANDLER as the key-down handler, then announce PROMPT.
  void BeginValueEntry(EntryKeyHandler handler, std::string_view prompt) override;
  // The three modal dialogs, run without guidance: the hook is removed, the notice announced,
  // the dialog run, then the main handler restored. Results: nothing / empty text on cancel.
  std::optional<std::string> RunOpenFileDialog(std::string_view defaultExtension,
                                               std::string_view filter) override;
  std::optional<std::string> RunSaveFileDialog(std::string_view defaultExtension,
                                               std::string_view filter) override;
  std::string RunTextInputDialog() override;  // at most 254 CP932 bytes

  // State, for the commands of later features and for tests.
  bool InMenuMode() const { return menuMode_; }
  const MenuState& Menu() const { return menu_; }
  bool MenuSoundPlaying() const { return menuSoundPlaying_; }
  SettingsBlock& Settings() { return settings_; }
  const SettingsBlock& Settings() const { return settings_; }
  CEditSession& Session() { return session_; }
  const CEditSession& Session() const { return session_; }
  CEditPosition& Position() { return session_.Position(); }
  const CEditPosition& Position() const { return session_.Position(); }
  // 1 when CHANNEL (0..15) sounds in channel-selective playback; 0 outside that range.
  int ChannelPlayState(int channel) const {
    return channel >= 0 && channel < 16 ? channelPlayState_[static_cast<std::size_t>(channel)] : 0;
  }
  ChannelTable& Channels() { return session_.Channels(); }
  int TrackCount() const { return session_.TrackCount(); }
  CMidi1Data* Song() { return session_.Song(); }
  const CMidi1Data* Song() const { return session_.Song(); }
  CMidiOutDevice* MidiOut() { return midiOut_.get(); }
  // The play hand-over (the play commands start and stop plays through it); null before Start.
  CPlaybackControl* Playback() { return playback_.get(); }
  bool PlaybackActive() const;
  const CKeyTable& KeyTable() const { return *keyTable_; }
  const std::string& AppDir() const { return platform_.appDir; }
  const Platform& Platforms() const { return platform_; }
  std::string SettingsPath() const;
  std::string ShortcutPath() const;
  // The settings folder's menu.wav when there is one, else the shipped one.
  std::string MenuSoundPath() const;

 private:
  void MenuNavigation(int key);
  void EnterMenuMode();
  void LeaveMenuMode(bool announceSilence);
  void AnnounceCategory();
  void AnnounceSelectedCommand();
  void StartMenuSound();
  void StopMenuSound();
  void OpenEditorDevice();
  void CloseEditorDevice();
  void Quit();
  void CancelQuit();
  // recovery_commands.cpp: the recovery files of this run and the restore command.
  void StartRecovery(std::string& startNotes);
  void RecoveryDue();
  void DiscardRecoveryWhenSaved();
  void StopRecovery();
  void RestoreRecovery();
  // The guard on unsaved changes before COMMAND; false after the warning.
  bool GuardUnsaved(int command);
  void ToggleChannelPlayState(int channel);
  // setting_commands.cpp: the musical readings, the voice's rate, volume and choice.
  bool ExecuteSettingCommand(int command);
  std::string OwnSettingsPath() const;
  void LoadOwnSettings();
  void SaveOwnSettings();

  Platform platform_;
  CKeyboardHook hook_;
  std::unique_ptr<CSpeechCommon> speech_;
  std::unique_ptr<CKeyTable> keyTable_;
  std::unique_ptr<CMidiOutDevice> midiOut_;
  std::unique_ptr<CPlaybackControl> playback_;
  std::unique_ptr<CWavePlayer> wavePlayer_;
  SettingsBlock settings_{};
  CEditSession session_;
  std::array<int, 16> channelPlayState_{};
  bool menuMode_ = false;
  MenuState menu_;
  bool menuSoundPlaying_ = false;
  bool started_ = false;
  bool shutDown_ = false;
  CUnsavedGuard unsavedGuard_;
  COwnSettings ownSettings_;
  bool ownSettingsChanged_ = false;
  bool quitPending_ = false;
  TimerId quitTimer_ = 0;
  std::int64_t quitDueMs_ = 0;
  std::unique_ptr<CRecoveryWriter> recovery_;
  std::size_t restoreIndex_ = 0;
};

}  // namespace zentory
