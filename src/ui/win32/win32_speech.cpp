#include "ui/win32/win32_speech.h"

#include <iostream>

#include "platform/win32/sapi_speech.h"
#include "platform/win32/uia_speech.h"
#include "ui/win32/win32_texts.h"

namespace zentory {

CWin32Speech::CWin32Speech() = default;
CWin32Speech::~CWin32Speech() = default;

ISpeechSynth* CWin32Speech::Start(std::string_view which, HWND window,
                                  std::vector<std::string>& problems,
                                  const std::string& readingsFolder) {
  if (which == "none") return nullptr;
  auto onFailure = [](const std::string& failure) { std::cerr << "zentory: " << failure << '\n'; };
  std::string problem;
  if (which == "screenreader") {
    voice_ = CUiaSpeech::Create(window, problem, onFailure);
    if (voice_) {
      screenReader_ = true;
      return voice_.get();
    }
    problems.push_back(std::string(win32_texts::kNoScreenReader) + " (" + problem + ")" +
                       win32_texts::kFallbackToSapi);
    problem.clear();
  }
  auto sapi = CSapiSpeech::Create(problem, onFailure);
  if (sapi && !readingsFolder.empty()) {
    std::string notice;
    sapi->SetReadings(CReadingDictionary::Load(readingsFolder, notice));
    if (!notice.empty()) problems.push_back(notice);
  }
  voice_ = std::move(sapi);
  // A SAPI without a voice, or one that cannot tell its rate and volume (wine's), would only
  // raise boxes at start-up: it counts as missing.
  if (voice_ && (voice_->Voices().empty() || !voice_->Rate() || !voice_->Volume())) {
    voice_.reset();
    problem = win32_texts::kNoSapiVoice;
  }
  if (!voice_) problems.push_back(std::string(win32_texts::kNoSapi) + ": " + problem);
  return voice_.get();
}

}  // namespace zentory
