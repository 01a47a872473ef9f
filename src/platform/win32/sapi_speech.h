// The SAPI 5 voice: ISpVoice speaking asynchronously, every text purging what is still being said
// so the newest announcement cuts the previous one. The installed voices come from SAPI's voice
// category; the first start prefers the first Japanese voice (language 411), as an English voice
// cannot read the announcements.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <sapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/ports/speech.h"
#include "platform/espeak_mecab/reading_dictionary.h"

namespace zentory {

// One installed voice: its description, its "Language" attribute and its token (released when the
// last entry holding it goes).
struct SapiVoiceEntry {
  std::string name;
  std::string language;
  std::shared_ptr<ISpObjectToken> token;
};

// What `zentory --reading TEXT` prints on Windows: TEXT as the SAPI voice is given it, with the
// user's readings of READINGSFOLDER/readings.txt. NOTICE gets what was wrong with that file.
std::string SapiReading(std::string_view text, const std::string& readingsFolder,
                        std::string& notice);

class CSapiSpeech : public ISpeechSynth {
 public:
  // Takes a reference to VOICE. ONFAILURE hears, once,
  // of a text the voice refused.
  CSapiSpeech(ISpVoice* voice, std::vector<SapiVoiceEntry> voices,
              std::function<void(const std::string&)> onFailure = {});
  ~CSapiSpeech() override;
  CSapiSpeech(const CSapiSpeech&) = delete;
  CSapiSpeech& operator=(const CSapiSpeech&) = delete;

  // The system's SAPI voice with the installed voices; null (and PROBLEM set) without SAPI. COM
  // must be initialised on the calling thread.
  static std::unique_ptr<CSapiSpeech> Create(std::string& problem,
                                             std::function<void(const std::string&)> onFailure);

  // The user's readings, applied (after NFKC) to every text before the voice gets it.
  void SetReadings(CReadingDictionary readings) { readings_ = std::move(readings); }
  // TEXT as the voice is given it.
  std::string TextForVoice(std::string_view text) const;

  std::vector<std::string> Voices() override;
  int CurrentVoice() override { return current_; }
  bool SelectVoice(int index) override;
  int PreferredVoice() override;
  void Speak(std::string_view text) override;
  bool SetRate(int rate) override;
  std::optional<int> Rate() override;
  bool SetVolume(int volume) override;
  std::optional<int> Volume() override;
  // SAPI chooses the stream format with its audio device; the list's choice is not applied.
  std::optional<AudioFormat> OutputFormat() override { return std::nullopt; }
  bool SetOutputFormat(const AudioFormat& format) override;

 private:
  ISpVoice* voice_;
  std::vector<SapiVoiceEntry> voices_;
  std::function<void(const std::string&)> onFailure_;
  CReadingDictionary readings_;
  int current_ = -1;
  bool failureSaid_ = false;
};

}  // namespace zentory
