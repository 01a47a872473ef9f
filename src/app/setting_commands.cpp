// The settings a user changes from the keyboard beyond setup.ini's own keys: the musical
// readings and the voice's rate, volume and choice, so that nobody needs the mouse or a sighted
// helper to slow the voice down. Our own settings file keeps what setup.ini has no field for.
#include <algorithm>

#include "app/app_texts.h"
#include "app/main_dialog.h"
#include "base/general.h"
#include "base/text_format.h"
#include "edit/command_ids.h"
#include "edit/edit_texts.h"
#include "sound/speech_common.h"

namespace zentory {

namespace {

// The rate moves by the slider's single step; the volume by its page, since one percent of
// volume cannot be heard.
constexpr int kRateStep = 1;
constexpr int kVolumeStep = 10;

}  // namespace

std::string CMainDialog::OwnSettingsPath() const {
  return JoinAppPath(platform_.appDir, COwnSettings::kFileName);
}

void CMainDialog::LoadOwnSettings() {
  if (!platform_.appDir.empty()) ownSettings_.Load(OwnSettingsPath());
  session_.SetMusicalReadings(ownSettings_.GetBool(COwnSettings::kMusicalReadings, false));
  if (auto voice = ownSettings_.Get(COwnSettings::kVoice); voice && speech_) {
    speech_->SelectVoiceNamed(*voice);
  }
}

void CMainDialog::SaveOwnSettings() {
  // Only a change is written, so a folder where nothing was switched keeps no file of ours.
  if (ownSettingsChanged_ && !platform_.appDir.empty()) ownSettings_.Save(OwnSettingsPath());
}

bool CMainDialog::ExecuteSettingCommand(int command) {
  switch (command) {
    case command::kMusicalReadings: {
      const bool on = !session_.MusicalReadings();
      session_.SetMusicalReadings(on);
      ownSettings_.SetBool(COwnSettings::kMusicalReadings, on);
      ownSettingsChanged_ = true;
      Announce(on ? edit_texts::kMusicalOn : edit_texts::kMusicalOff);
      return true;
    }
    case command::kSpeechRateUp:
    case command::kSpeechRateDown: {
      const int step = command == command::kSpeechRateUp ? kRateStep : -kRateStep;
      settings_.speechRate = std::clamp(settings_.speechRate + step, kRateMin, kRateMax);
      if (platform_.view) platform_.view->SetSliderPosition(Slider::kRate, settings_.speechRate);
      if (speech_) speech_->ChangeRate(settings_.speechRate);
      Announce(texts::FormatNumbers(texts::kSpeechRate, {settings_.speechRate}));
      return true;
    }
    case command::kSpeechVolumeUp:
    case command::kSpeechVolumeDown: {
      const int step = command == command::kSpeechVolumeUp ? kVolumeStep : -kVolumeStep;
      settings_.speechVolume = std::clamp(settings_.speechVolume + step, kVolumeMin, kVolumeMax);
      if (platform_.view) {
        platform_.view->SetSliderPosition(Slider::kVolume, settings_.speechVolume);
      }
      if (speech_) speech_->ChangeVolume(settings_.speechVolume);
      Announce(texts::FormatNumbers(texts::kSpeechVolume, {settings_.speechVolume}));
      return true;
    }
    case command::kNextVoice: {
      const std::string name = speech_ ? speech_->NextVoice() : std::string();
      if (name.empty()) {
        Announce(texts::kNoOtherVoice);
        return true;
      }
      ownSettings_.Set(COwnSettings::kVoice, name);
      ownSettingsChanged_ = true;
      Announce(name);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zentory
