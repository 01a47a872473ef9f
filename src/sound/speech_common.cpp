#include "sound/speech_common.h"

#include <algorithm>

#include "base/error_report.h"

namespace zentory {

namespace {
constexpr int kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
}  // namespace

const std::vector<OutputFormatRow>& OutputFormatRows() {
  static const std::vector<OutputFormatRow> rows = {
      {4, "8kHz 8 Bit Mono"},      {5, "8kHz 8 Bit Stereo"},    {6, "8kHz 16 Bit Mono"},
      {7, "8kHz 16 Bit Stereo"},   {8, "11kHz 8 Bit Mono"},     {9, "11kHz 8 Bit Stereo"},
      {10, "11kHz 16 Bit Mono"},   {11, "11kHz 16 Bit Stereo"}, {12, "12kHz 8 Bit Mono"},
      {13, "12kHz 8 Bit Stereo"},  {14, "12kHz 16 Bit Mono"},   {15, "12kHz 16 Bit Stereo"},
      {16, "16kHz 8 Bit Mono"},    {17, "16kHz 8 Bit Stereo"},  {18, "16kHz 16 Bit Mono"},
      {19, "16kHz 16 Bit Stereo"}, {20, "22kHz 8 Bit Mono"},    {21, "22kHz 8 Bit Stereo"},
      {22, "22kHz 16 Bit Mono"},   {23, "22kHz 16 Bit Stereo"}, {24, "24kHz 8 Bit Mono"},
      {25, "24kHz 8 Bit Stereo"},  {26, "24kHz 16 Bit Mono"},   {27, "24kHz 16 Bit Stereo"},
      {28, "32kHz 8 Bit Mono"},    {29, "32kHz 8 Bit Stereo"},  {30, "32kHz 16 Bit Mono"},
      {31, "32kHz 16 Bit Stereo"}, {32, "44kHz 8 Bit Mono"},    {33, "44kHz 8 Bit Stereo"},
      {34, "44kHz 16 Bit Mono"},   {35, "44kHz 16 Bit Stereo"}, {36, "48kHz 8 Bit Mono"},
      {37, "48kHz 8 Bit Stereo"},  {38, "48kHz 16 Bit Mono"},   {39, "48kHz 16 Bit Stereo"},
  };
  return rows;
}

std::optional<AudioFormat> AudioFormatOfNumber(int number) {
  if (number < 4 || number > 39) return std::nullopt;
  int k = number - 4;
  return AudioFormat{kRates[k / 4], (k & 2) ? 16 : 8, (k & 1) ? 2 : 1};
}

int NumberOfAudioFormat(const AudioFormat& format) {
  for (int n = 4; n <= 39; ++n) {
    if (*AudioFormatOfNumber(n) == format) return n;
  }
  return 3;
}

CSpeechCommon::CSpeechCommon(ISpeechSynth* engine, IWindowView* view)
    : engine_(engine), view_(view) {
  std::vector<std::string> names;
  for (const auto& row : OutputFormatRows()) names.emplace_back(row.name);
  if (!engine_) {
    if (view_) view_->SetFormatList(names, -1);
    return;
  }
  int selected = 0;
  if (auto format = engine_->OutputFormat()) {
    int number = NumberOfAudioFormat(*format);
    selected = number >= 4 ? number - 4 : -1;
  }
  if (view_) {
    view_->SetFormatList(names, selected);
    std::vector<std::string> voices = engine_->Voices();
    int first = engine_->PreferredVoice();
    if (first < 0 || first >= static_cast<int>(voices.size())) first = 0;
    view_->SetVoiceList(voices, voices.empty() ? -1 : first);
  }
  SelectVoice();
  auto rate = engine_->Rate();
  if (!rate) {
    ErrorMsg();
    return;
  }
  if (view_) {
    view_->SetSliderRange(Slider::kRate, -10, 10, 5);
    view_->SetSliderPosition(Slider::kRate, *rate);
  }
  auto volume = engine_->Volume();
  if (!volume) {
    ErrorMsg();
    return;
  }
  if (view_) {
    view_->SetSliderRange(Slider::kVolume, 0, 100, 10);
    view_->SetSliderPosition(Slider::kVolume, *volume & 0xFFFF);
  }
}

CSpeechCommon::~CSpeechCommon() = default;

void CSpeechCommon::ErrorMsg() { ShowMessageBox(kErrorMsg); }

void CSpeechCommon::Speak(std::string_view text) {
  if (engine_) engine_->Speak(text);
}

void CSpeechCommon::SelectVoice() {
  if (!engine_ || !view_) return;
  int row = view_->SelectedVoice();
  if (row != engine_->CurrentVoice()) {
    engine_->Speak("");
    engine_->SelectVoice(row);
  }
}

std::string CSpeechCommon::NextVoice() {
  if (!engine_) return {};
  const std::vector<std::string> voices = engine_->Voices();
  if (voices.size() < 2) return {};
  const int current = view_ ? view_->SelectedVoice() : engine_->CurrentVoice();
  const int next = current < 0 ? 0 : (current + 1) % static_cast<int>(voices.size());
  if (view_) view_->SetVoiceList(voices, next);
  engine_->Speak("");
  if (!engine_->SelectVoice(next)) return {};
  return voices[static_cast<std::size_t>(next)];
}

bool CSpeechCommon::SelectVoiceNamed(std::string_view name) {
  if (!engine_) return false;
  const std::vector<std::string> voices = engine_->Voices();
  const auto found = std::find(voices.begin(), voices.end(), name);
  if (found == voices.end()) return false;
  const int row = static_cast<int>(found - voices.begin());
  if (view_) view_->SetVoiceList(voices, row);
  return row == engine_->CurrentVoice() || engine_->SelectVoice(row);
}

void CSpeechCommon::ChangeOutputFormat() {
  if (!engine_ || !view_) return;
  int row = view_->SelectedFormat();
  const auto& rows = OutputFormatRows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  if (auto format = AudioFormatOfNumber(rows[static_cast<std::size_t>(row)].number)) {
    engine_->SetOutputFormat(*format);
  }
}

void CSpeechCommon::ChangeVolume(int volume) {
  if (engine_ && !engine_->SetVolume(volume)) ShowMessageBox(kChangeVolumeMsg);
}

void CSpeechCommon::ChangeRate(int rate) {
  if (engine_ && !engine_->SetRate(rate)) ShowMessageBox(kChangeVolumeMsg);
}

}  // namespace zentory
