#include "platform/speechd/speechd_speech.h"

#include <libspeechd.h>

#include <cstdlib>

namespace zentory {

namespace {
constexpr const char* kClientName = "zentory";
constexpr const char* kDefaultVoice = "speech-dispatcher 既定の音声";
constexpr const char* kLanguage = "ja";
SPDConnection* Conn(void* c) { return static_cast<SPDConnection*>(c); }
}  // namespace

CSpeechdSpeech::CSpeechdSpeech() = default;

CSpeechdSpeech::~CSpeechdSpeech() {
  if (Conn(connection_)) {
    spd_cancel(Conn(connection_));
    spd_close(Conn(connection_));
  }
}

bool CSpeechdSpeech::Open() {
  if (Conn(connection_)) return true;
  char* error = nullptr;
  connection_ = spd_open2(kClientName, "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
  if (!connection_) {
    error_ = error ? error : "speech-dispatcher";
    std::free(error);
    return false;
  }
  spd_set_language(Conn(connection_), kLanguage);
  descriptions_.assign(1, kDefaultVoice);
  if (SPDVoice** voices = spd_list_synthesis_voices(Conn(connection_))) {
    for (SPDVoice** v = voices; *v != nullptr; ++v) {
      if ((*v)->name == nullptr) continue;
      names_.emplace_back((*v)->name);
      std::string description = (*v)->name;
      if ((*v)->language) description += std::string(" (") + (*v)->language + ")";
      descriptions_.push_back(description);
    }
    free_spd_voices(voices);
  }
  return true;
}

std::vector<std::string> CSpeechdSpeech::Voices() { return descriptions_; }

bool CSpeechdSpeech::SelectVoice(int index) {
  if (!connection_ || index >= static_cast<int>(descriptions_.size())) return false;
  std::lock_guard lock(mutex_);
  spd_cancel(Conn(connection_));
  int rc = index <= 0 ? spd_set_language(Conn(connection_), kLanguage)
                      : spd_set_synthesis_voice(
                            Conn(connection_), names_[static_cast<std::size_t>(index - 1)].c_str());
  if (rc != 0) return false;
  current_ = index < 0 ? 0 : index;
  return true;
}

void CSpeechdSpeech::Speak(std::string_view text) {
  if (!connection_) return;
  std::lock_guard lock(mutex_);
  spd_cancel(Conn(connection_));
  if (!text.empty()) spd_say(Conn(connection_), SPD_MESSAGE, std::string(text).c_str());
}

bool CSpeechdSpeech::SetRate(int rate) {
  if (!connection_ || rate < -10 || rate > 10) return false;
  std::lock_guard lock(mutex_);
  if (spd_set_voice_rate(Conn(connection_), rate * 10) != 0) return false;
  rate_ = rate;
  return true;
}

bool CSpeechdSpeech::SetVolume(int volume) {
  if (!connection_ || volume < 0 || volume > 100) return false;
  std::lock_guard lock(mutex_);
  if (spd_set_volume(Conn(connection_), volume * 2 - 100) != 0) return false;
  volume_ = volume;
  return true;
}

bool CSpeechdSpeech::SetOutputFormat(const AudioFormat& format) {
  format_ = format;
  return true;
}

}  // namespace zentory
