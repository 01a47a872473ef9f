#include "app/main_dialog.h"

#include <algorithm>

#include "app/app_texts.h"
#include "app/settings.h"
#include "base/error_report.h"
#include "base/general.h"
#include "base/text_codec.h"
#include "edit/position_wording.h"
#include "song/event_names.h"
#include "sound/speech_common.h"

namespace zentory {

namespace {
constexpr int kRateMin = -10, kRateMax = 10;
constexpr int kVolumeMin = 0, kVolumeMax = 100;
constexpr std::size_t kTextInputLimit = 254;  // CP932 bytes a marker text may take
constexpr std::int64_t kQuitPauseMs = 4000;
constexpr std::int64_t kMenuSoundStopPauseMs = 3000;
}  // namespace

bool IsKnownCommand(int command) { return command != 0 && FindCommandEntry(command) != nullptr; }

std::optional<int> ValueInEffect(const CMidi1Data& song, const std::array<int, 256>& channelTable,
                                 int channel, std::int64_t tick,
                                 const std::function<bool(const CMusicEvent&)>& match) {
  const int count = std::min<int>(song.TrackCount(), kChannelTableSize);
  for (int i = 0; i < count; ++i) {
    if (channelTable[static_cast<std::size_t>(i)] != channel) continue;
    const CMidiTrack* track = song.Track(i);
    if (!track) continue;
    std::optional<int> found;
    std::int64_t t = 0;
    for (const CMusicEvent& e : track->Events()) {
      t += e.delta;
      if (t > tick) break;
      if (e.channel == channel && match(e)) found = e.value;
    }
    if (found) return found;
  }
  return std::nullopt;
}

int ProgramInEffect(const CMidi1Data& song, const std::array<int, 256>& channelTable, int channel,
                    std::int64_t tick) {
  return ValueInEffect(song, channelTable, channel, tick,
                       [](const CMusicEvent& e) { return e.status == ev::kProgramChange; })
      .value_or(0);
}

CMainDialog::CMainDialog(const Platform& platform)
    : platform_(platform), hook_(platform.keys), keyTable_(std::make_unique<CKeyTable>()) {
  channelPlayState_.fill(1);
  channelTable_.fill(kMasterChannel);
}

CMainDialog::~CMainDialog() { Shutdown(); }

std::string CMainDialog::SettingsPath() const { return JoinAppPath(platform_.appDir, "setup.ini"); }
std::string CMainDialog::ShortcutPath() const {
  return JoinAppPath(platform_.appDir, "shortcut.dat");
}
std::string CMainDialog::MenuSoundPath() const { return JoinAppPath(platform_.appDir, "menu.wav"); }

void CMainDialog::Start() {
  if (started_ || shutDown_) return;
  started_ = true;
  channelPlayState_.fill(1);

  // The voice fills the voice controls and sets the sliders from the engine; the settings then
  // take those slider positions as the defaults for a first run.
  speech_ = std::make_unique<CSpeechCommon>(platform_.speech, platform_.view);
  int rate = 0, volume = kVolumeMax;
  if (platform_.view) {
    rate = platform_.view->SliderPosition(Slider::kRate);
    volume = platform_.view->SliderPosition(Slider::kVolume);
  }
  settings_ = LoadSettings(SettingsPath(), rate, volume);
  // A damaged file may hold any number; the sliders only know their ranges.
  settings_.speechRate = std::clamp(settings_.speechRate, kRateMin, kRateMax);
  settings_.speechVolume = std::clamp(settings_.speechVolume, kVolumeMin, kVolumeMax);
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

  RestoreMainKeyHandler();
  if (!hook_.Installed()) ShowMessageBox(texts::kNoKeyboard);

  keyTable_->Load(ShortcutPath());
  menuMode_ = false;

  if (platform_.midi) midiPort_ = platform_.midi->Open(-1);

  NewSong();
}

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
  hook_.Remove();
  hook_.SetKeyHandlers(nullptr, nullptr);
  speech_.reset();

  if (platform_.view) {
    settings_.speechRate = platform_.view->SliderPosition(Slider::kRate);
    settings_.speechVolume = platform_.view->SliderPosition(Slider::kVolume);
  }
  SaveSettings(SettingsPath(), settings_);

  midiPort_.reset();
  song_.reset();
  noteOffer_ = nullptr;
  noteFlush_ = nullptr;
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
  if (speech_) speech_->ChangeRate(position);
}

void CMainDialog::OnVolumeSlider(int position) {
  if (speech_) speech_->ChangeVolume(position);
}

void CMainDialog::OnPosted(int message) {
  if (!started_ || shutDown_) return;
  if (message == kMsgPlaybackEnded) {
    Announce(texts::kPlaybackEnded);
  } else if (message == kMsgVelocityTooLow) {
    Announce(texts::kVelocityTooLow);
  }
}

void CMainDialog::Announce(std::string_view text) {
  if (speech_) speech_->Speak(text);
  if (platform_.view) platform_.view->SetGuideText(text);
}

void CMainDialog::UpdateStatusFields() {
  if (!platform_.view) return;
  platform_.view->SetPositionField(StatusPositionText(position_));
  platform_.view->SetTrackField(StatusTrackText(position_));
}

std::string CMainDialog::PositionWording() const {
  return FormatPosition(position_, settings_.positionUnit, settings_.abbreviatedReading);
}

// ---- key handlers and dialogs ----

void CMainDialog::SetNoteEntry(NoteEntryOffer offer, std::function<void()> flush) {
  noteOffer_ = std::move(offer);
  noteFlush_ = std::move(flush);
}

void CMainDialog::RestoreMainKeyHandler() {
  if (shutDown_) return;
  hook_.Remove();
  hook_.Install();
  hook_.SetKeyHandlers(
      [this](int key, int ctrl, int shift, int alt) { MainKeyHandler(key, ctrl, shift, alt); },
      nullptr);
}

void CMainDialog::BeginValueEntry(KeyHandler handler, std::string_view prompt) {
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
  if (Cp932Length(text) > kTextInputLimit) {
    text = Cp932ToUtf8(Utf8ToCp932Limited(text, kTextInputLimit));
  }
  return text;
}

// ---- routing ----

void CMainDialog::MainKeyHandler(int key, int ctrl, int shift, int alt) {
  if (shutDown_) return;
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
    if (!ctrl && !alt && noteOffer_ && noteOffer_(key, shift)) return;
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
  // The looping background sound of MenuSoundPath() joins here with the wave player.
  menuSoundPlaying_ = true;
}

void CMainDialog::StopMenuSound() { menuSoundPlaying_ = false; }

// ---- commands ----

void CMainDialog::ExecuteCommand(int command) {
  if (shutDown_ || !IsKnownCommand(command)) return;
  if (noteFlush_) noteFlush_();

  switch (command) {
    case 0x502:
    case 0x504:
    case 0x511:
    case 0x514:
    case 0x521:
    case 0x524:
    case 0x531:
    case 0x534:
    case 0x541:
    case 0x544:
    case 0x561:
    case 0x564:
      // Moves by time leave no current event behind.
      position_.eventIndex = -1;
      break;
    default:
      break;
  }

  if (command >= command::kTargetChannelFirst && command < command::kTargetChannelFirst + 16) {
    SelectTrackOfChannel(command - command::kTargetChannelFirst);
    return;
  }
  if (command >= command::kPlayStateFirst && command < command::kPlayStateFirst + 16) {
    ToggleChannelPlayState(command - command::kPlayStateFirst);
    return;
  }

  SettingsBlock& s = settings_;
  switch (command) {
    case command::kNewSong:
      TakeUndoSnapshot();
      NewSong();
      return;
    case command::kAddTrack:
      AddTrack();
      return;
    case command::kDeleteTrack:
      DeleteTrack();
      return;
    case command::kQuit:
      Quit();
      return;
    case command::kMasterTrack:
      SelectMasterTrack();
      return;
    case command::kAnnouncePosition:
      Announce(PositionWording());
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
    default:
      // Recognised; its feature joins here when it is built.
      return;
  }
}

void CMainDialog::Quit() {
  Announce(texts::kQuit);
  // The voice goes on speaking during the pause; it speaks on its own.
  if (platform_.clock) platform_.clock->SleepMs(kQuitPauseMs);
  if (platform_.view) platform_.view->Close();
}

void CMainDialog::ToggleChannelPlayState(int channel) {
  int& state = channelPlayState_[static_cast<std::size_t>(channel)];
  state = state ? 0 : 1;
  Announce(texts::FormatNumbers(texts::kChannelNumber, {channel + 1}) +
           (state ? texts::kChannelOn : texts::kChannelOff));
}

void CMainDialog::SelectMasterTrack() {
  position_.track = 0;
  UpdateStatusFields();
  Announce(texts::kMasterTrack);
}

void CMainDialog::SelectTrackOfChannel(int channel) {
  const int count = std::min(TrackCount(), kChannelTableSize);
  // From the track after the edit target round to the edit target itself, which is tried last;
  // repeating the command steps through every track of the channel.
  const int start = std::clamp(position_.track, 0, std::max(count - 1, 0));
  for (int step = 1; step <= count; ++step) {
    int track = (start + step) % count;
    if (channelTable_[static_cast<std::size_t>(track)] == channel) {
      position_.track = track;
      TrackSelectionFeedback();
      return;
    }
  }
  Announce(texts::kNoTrackOnChannel);
}

void CMainDialog::TrackSelectionFeedback() {
  const int channel = channelTable_[static_cast<std::size_t>(position_.track)];
  int program = 0;
  if (song_ && channel >= 0 && channel < 16) {
    program = ProgramInEffect(*song_, channelTable_, channel, position_.tick);
    SendShort(0xC0 | channel, program, 0);
    for (int controller : {7, 10}) {
      auto value = ValueInEffect(*song_, channelTable_, channel, position_.tick,
                                 [controller](const CMusicEvent& e) {
                                   return e.status == ev::kControlChange &&
                                          e.type == static_cast<std::uint32_t>(controller);
                                 });
      SendShort(0xB0 | channel, controller, value.value_or(127));
    }
  }
  UpdateStatusFields();
  Announce(texts::FormatNumbers(texts::kTrackAndChannel, {position_.track, channel + 1}) +
           InstrumentName(program));
}

void CMainDialog::SendShort(int status, int data1, int data2) {
  if (!midiPort_) return;
  midiPort_->ShortMessage(static_cast<std::uint32_t>(status & 0xFF) |
                          static_cast<std::uint32_t>(data1 & 0x7F) << 8 |
                          static_cast<std::uint32_t>(data2 & 0x7F) << 16);
}

// ---- the song ----

void CMainDialog::TakeUndoSnapshot() {
  // The undo slot takes its copy of the song here once it exists.
}

namespace {

CMusicEvent MakePitchBendCentre(int channel) {
  CMusicEvent e;
  e.status = ev::kPitchBend;
  e.channel = channel;
  e.key = 0;
  e.value = 64;
  const std::uint8_t bytes[] = {0xE0, 0, 64};
  e.SetData(bytes);
  return e;
}

std::int32_t EndDelta(std::int64_t endTick) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(endTick, 0, INT32_MAX));
}

}  // namespace

void CMainDialog::NewSong() {
  constexpr std::int32_t kEnd = 1920;
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  channelTable_.fill(kMasterChannel);

  auto master = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  master->AppendTimeSignature(4, 2);
  const std::uint8_t cMajor[] = {0, 0};
  master->AppendMeta(0, ev::kMetaKeySignature, cMajor);
  master->AppendTempo(500000);
  master->AppendEndOfTrack(kEnd);
  tracks.push_back(std::move(master));

  for (int i = 1; i <= 16; ++i) {
    const int c = i - 1;
    channelTable_[static_cast<std::size_t>(i)] = c;
    auto track = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
    if (c != 9) track->AppendProgramChange(c, 0);  // the rhythm channel keeps its drum kit
    track->AppendControlChange(c, 7, 127);
    track->AppendControlChange(c, 101, 0);
    track->AppendControlChange(c, 100, 0);
    track->AppendControlChange(c, 6, 2);
    track->Events().push_back(MakePitchBendCentre(c));
    track->AppendControlChange(c, 10, 64);
    track->AppendEndOfTrack(kEnd);
    tracks.push_back(std::move(track));
  }

  song_ = std::make_unique<CMidi1Data>();
  song_->resolution = 480;
  song_->state = song_state::kNoteForm;
  for (auto& track : tracks) song_->AppendTrack(std::move(track));
  position_ = CEditPosition{};

  // The output follows channel 1, the channel of the edit target.
  SendShort(0xC0, 0, 0);
  SendShort(0xB0, 7, 127);
  SendShort(0xB0, 101, 0);
  SendShort(0xB0, 100, 0);
  SendShort(0xB0, 6, 2);
  SendShort(0xB0, 10, 64);

  Announce(std::string(texts::kNewSong) + PositionWording());
  UpdateStatusFields();
}

void CMainDialog::AddTrack() {
  if (!song_) return;
  const int n = song_->TrackCount();
  if (n >= kMaxTracks) {
    Announce(texts::kTooManyTracks);
    return;
  }
  TakeUndoSnapshot();
  // The least-used channel, the lowest on a tie.
  std::array<int, 16> uses{};
  for (int i = 1; i < n; ++i) {
    int c = channelTable_[static_cast<std::size_t>(i)];
    if (c >= 0 && c < 16) ++uses[static_cast<std::size_t>(c)];
  }
  const int channel = static_cast<int>(std::min_element(uses.begin(), uses.end()) - uses.begin());

  auto track = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  const bool hasProgram =
      ValueInEffect(*song_, channelTable_, channel, position_.tick, [](const CMusicEvent& e) {
        return e.status == ev::kProgramChange;
      }).has_value();
  if (!hasProgram) track->AppendProgramChange(channel, 0);
  track->AppendEndOfTrack(EndDelta(position_.endTick));
  if (!song_->AppendTrack(std::move(track))) return;

  channelTable_[static_cast<std::size_t>(n)] = channel;
  position_.track = n;
  Announce(texts::FormatNumbers(texts::kTrackAdded, {n}));
  position_.tick = 0;
  position_.eventIndex = -1;
  UpdateStatusFields();
}

void CMainDialog::DeleteTrack() {
  if (!song_) return;
  const int count = song_->TrackCount();
  const int target = position_.track;
  if (count <= 1 || target <= 0 || target >= count) {
    Announce(texts::kCannotDeleteMaster);
    return;
  }
  TakeUndoSnapshot();
  if (!song_->DeleteTrack(target)) return;
  // The channels of the later tracks move down with them.
  std::copy(channelTable_.begin() + target + 1, channelTable_.end(),
            channelTable_.begin() + target);
  channelTable_.back() = kMasterChannel;

  const int left = song_->TrackCount();
  if (left == 1) {
    position_.track = 0;
    Announce(texts::kOnlyMasterLeft);
  } else {
    position_.track = 1;
    Announce(texts::FormatNumbers(texts::kTracksLeft, {left}));
  }
  position_.tick = 0;
  position_.eventIndex = -1;
  UpdateStatusFields();
}

}  // namespace zentory
