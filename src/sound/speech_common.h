// The program's voice: one speech engine and the four voice controls of the main window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports/speech.h"
#include "base/ports/window_view.h"

namespace zentory {

struct OutputFormatRow {
  int number;        // the stream-format number, 4..39
  const char* name;  // as listed, for example "22kHz 16 Bit Mono"
};

// The 36 output formats in list order.
const std::vector<OutputFormatRow>& OutputFormatRows();
// The PCM format of stream-format NUMBER (4..39); nothing outside that range.
std::optional<AudioFormat> AudioFormatOfNumber(int number);
// The number of a PCM format, or 3 when the table has no such format.
int NumberOfAudioFormat(const AudioFormat& format);

class CSpeechCommon {
 public:
  // ENGINE may be null: no voice was asked for, or the front end could not start one and has
  // said why in its own start-up box. The format list is still filled, no box is shown, and
  // every operation then does nothing.
  CSpeechCommon(ISpeechSynth* engine, IWindowView* view);
  virtual ~CSpeechCommon();
  CSpeechCommon(const CSpeechCommon&) = delete;
  CSpeechCommon& operator=(const CSpeechCommon&) = delete;

  // Cuts off what is being said and speaks TEXT (UTF-8) without waiting.
  void Speak(std::string_view text);
  void SelectVoice();         // the voice list's selection changed
  void ChangeOutputFormat();  // the output-format list's selection changed
  void ChangeVolume(int volume);
  void ChangeRate(int rate);
  bool HasVoice() const { return engine_ != nullptr; }
  // Selects the next installed voice (after the last, the first) in the engine and the voice
  // list; its name, or "" when there is no other voice to go to.
  std::string NextVoice();
  // Selects the installed voice called NAME; false when there is none.
  bool SelectVoiceNamed(std::string_view name);

  // The voice did not answer while it was being set up.
  static constexpr const char* kErrorMsg = "音声の準備ができませんでした。";
  // Setting the rate or the volume failed.
  static constexpr const char* kChangeVolumeMsg = "音声の速さか音量を変えられませんでした。";

 private:
  void ErrorMsg();
  ISpeechSynth* engine_;
  IWindowView* view_;
};

}  // namespace zentory
