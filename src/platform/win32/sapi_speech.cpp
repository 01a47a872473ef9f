#include <windows.h>
// Defines the SAPI GUIDs used here (selectany, so other units may do the same).
#include <initguid.h>
// After windows.h, which it needs.
#include <sapi.h>

#include <cstdio>

#include "base/wide_text_win32.h"
#include "platform/espeak_mecab/reading_spans.h"
#include "platform/espeak_mecab/speech_text.h"
#include "platform/win32/sapi_speech.h"
#include "ui/win32/win32_ui_logic.h"

namespace zentory {

namespace {

// A string value of KEY (null name: the default value), or empty.
std::string TokenString(ISpDataKey* key, const wchar_t* name) {
  wchar_t* value = nullptr;
  if (key == nullptr || FAILED(key->GetStringValue(name, &value))) return {};
  std::string out = value != nullptr ? Utf8FromWide(value) : std::string();
  CoTaskMemFree(value);
  return out;
}

std::vector<SapiVoiceEntry> InstalledVoices() {
  std::vector<SapiVoiceEntry> voices;
  ISpObjectTokenCategory* category = nullptr;
  if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL,
                              IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&category)))) {
    return voices;
  }
  IEnumSpObjectTokens* tokens = nullptr;
  if (SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE)) &&
      SUCCEEDED(category->EnumTokens(nullptr, nullptr, &tokens))) {
    ISpObjectToken* token = nullptr;
    while (tokens->Next(1, &token, nullptr) == S_OK) {
      SapiVoiceEntry entry;
      entry.name = TokenString(token, nullptr);
      ISpDataKey* attributes = nullptr;
      if (SUCCEEDED(token->OpenKey(L"Attributes", &attributes))) {
        entry.language = TokenString(attributes, L"Language");
        if (entry.name.empty()) entry.name = TokenString(attributes, L"Name");
        attributes->Release();
      }
      entry.token.reset(token, [](ISpObjectToken* t) { t->Release(); });
      voices.push_back(std::move(entry));
    }
    tokens->Release();
  }
  category->Release();
  return voices;
}

}  // namespace

CSapiSpeech::CSapiSpeech(ISpVoice* voice, std::vector<SapiVoiceEntry> voices,
                         std::function<void(const std::string&)> onFailure)
    : voice_(voice), voices_(std::move(voices)), onFailure_(std::move(onFailure)) {
  if (voice_ != nullptr) voice_->AddRef();
}

CSapiSpeech::~CSapiSpeech() {
  if (voice_ != nullptr) {
    voice_->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
    voice_->Release();
  }
}

std::unique_ptr<CSapiSpeech> CSapiSpeech::Create(
    std::string& problem, std::function<void(const std::string&)> onFailure) {
  ISpVoice* voice = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                      reinterpret_cast<void**>(&voice));
  if (FAILED(hr) || voice == nullptr) {
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    problem = std::string("SAPI 5 (") + code + ")";
    return nullptr;
  }
  auto speech = std::make_unique<CSapiSpeech>(voice, InstalledVoices(), std::move(onFailure));
  voice->Release();  // the object holds its own reference
  return speech;
}

std::vector<std::string> CSapiSpeech::Voices() {
  std::vector<std::string> names;
  for (const auto& entry : voices_) names.push_back(entry.name);
  return names;
}

int CSapiSpeech::PreferredVoice() {
  std::vector<std::string> languages;
  for (const auto& entry : voices_) languages.push_back(entry.language);
  return win32ui::FirstStartVoice(languages);
}

bool CSapiSpeech::SelectVoice(int index) {
  if (index < -1 || index >= static_cast<int>(voices_.size())) return false;
  voice_->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
  ISpObjectToken* token =
      index < 0 ? nullptr : voices_[static_cast<std::size_t>(index)].token.get();
  if (FAILED(voice_->SetVoice(token))) return false;
  current_ = index;
  return true;
}

std::string SapiReading(std::string_view text, const std::string& readingsFolder,
                        std::string& notice) {
  CSapiSpeech speech(nullptr, {});
  if (!readingsFolder.empty()) speech.SetReadings(CReadingDictionary::Load(readingsFolder, notice));
  return speech.TextForVoice(text);
}

std::string CSapiSpeech::TextForVoice(std::string_view text) const {
  // A SAPI voice reads kanji, numbers and symbols itself: the user's own readings, the
  // half-width kana of the program's texts and the reading rules that hold for any voice are
  // all it needs.
  return ReadingRulesForAnyVoice(readings_.Apply(NormalizeNfkc(text)));
}

void CSapiSpeech::Speak(std::string_view text) {
  if (text.empty()) {
    voice_->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
    return;
  }
  std::wstring wide = WideFromUtf8(TextForVoice(text));
  const HRESULT hr =
      voice_->Speak(wide.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr);
  if (FAILED(hr) && !failureSaid_) {
    failureSaid_ = true;
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    if (onFailure_) onFailure_(std::string("SAPI 5 Speak ") + code);
  }
}

bool CSapiSpeech::SetRate(int rate) { return SUCCEEDED(voice_->SetRate(win32ui::SapiRate(rate))); }

std::optional<int> CSapiSpeech::Rate() {
  long rate = 0;
  if (FAILED(voice_->GetRate(&rate))) return std::nullopt;
  return static_cast<int>(rate);
}

bool CSapiSpeech::SetVolume(int volume) {
  return SUCCEEDED(voice_->SetVolume(win32ui::SapiVolume(volume)));
}

std::optional<int> CSapiSpeech::Volume() {
  USHORT volume = 0;
  if (FAILED(voice_->GetVolume(&volume))) return std::nullopt;
  return static_cast<int>(volume);
}

bool CSapiSpeech::SetOutputFormat(const AudioFormat& format) {
  (void)format;
  return false;
}

}  // namespace zentory
