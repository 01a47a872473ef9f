#include "platform/espeak_mecab/espeak_speech.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/espeak_mecab/speech_text.h"
#include "platform/espeak_mecab/voice_texts.h"

namespace zentory {

namespace {

struct VoiceRow {
  const char* description;  // as listed in the voice list
  const char* name;         // eSpeak NG voice name with its variant
};
constexpr VoiceRow kVoices[] = {
    {voice_texts::kVoiceRows[0], "ja"},
    {voice_texts::kVoiceRows[1], "ja+f2"},
};

// Synthesis blocks of 20 ms: the first sound of an utterance is ready that soon.
constexpr int kBlockMs = 20;
// Samples this quiet or quieter at the start of an utterance count as silence (about -66 dB).
constexpr int kSilenceLevel = 16;

// Rate -10..10 as words per minute: the middle is eSpeak's own default, each end a third or three
// times as fast, within what the voice can do.
int WordsPerMinute(int rate) {
  double wpm = 175.0 * std::pow(3.0, rate / 10.0);
  return std::clamp(static_cast<int>(std::lround(wpm)), 80, 450);
}

struct EspeakStart {
  int rate = 0;       // the sample rate once started, 0 while not
  std::string error;  // the library's reason for the last failed start
};

// eSpeak NG keeps its state process-wide. It is initialised once and never terminated: its
// terminate call can hang on the library's own queue thread, and a second initialisation after
// it is not safe. A failed start may be tried again (with another data path); once one succeeded,
// later calls share it, whatever existing folder they name. The library's espeak_Initialize ends
// the process when its data is missing, so the calls underneath it are used, which return an error
// instead.
EspeakStart InitializeEspeakOnce(const std::string& dataPath) {
  static std::mutex mutex;
  static EspeakStart state;
  // The library quietly takes its own data when the folder named does not exist.
  std::error_code ec;
  if (!dataPath.empty() && !std::filesystem::is_directory(dataPath, ec)) {
    return EspeakStart{0, dataPath};
  }
  std::lock_guard lock(mutex);
  if (state.rate > 0) return state;
  espeak_ng_InitializePath(dataPath.empty() ? nullptr : dataPath.c_str());
  espeak_ng_ERROR_CONTEXT context = nullptr;
  espeak_ng_STATUS status = espeak_ng_Initialize(&context);
  if (status == ENS_OK)
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kBlockMs, nullptr);
  if (status != ENS_OK) {
    char message[256] = {};
    espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
    espeak_ng_ClearErrorContext(&context);
    state.error = message;
    return state;
  }
  espeak_ng_ClearErrorContext(&context);
  state.rate = espeak_ng_GetSampleRate();
  return state;
}

std::string WithReason(const char* pattern, const std::string& reason) {
  std::string_view p(pattern);
  std::size_t at = p.find("%s");
  if (at == std::string_view::npos) return std::string(p);
  return std::string(p.substr(0, at)) + reason + std::string(p.substr(at + 2));
}

int SynthCallback(short* wav, int count, espeak_EVENT* events) {
  auto* self = events ? static_cast<CEspeakSpeech*>(events->user_data) : nullptr;
  return self ? self->Deliver(wav, count) : 1;
}

}  // namespace

void CPcmConverter::Convert(const std::int16_t* samples, int count, float gain,
                            std::vector<std::uint8_t>& out) {
  if (count <= 0) return;
  const double step = static_cast<double>(source_) / target_.rate;
  const double last = count - 1;
  auto put = [&](float v) {
    v = std::clamp(v * gain, -1.0f, 1.0f);
    for (int c = 0; c < target_.channels; ++c) {
      if (target_.bits == 16) {
        auto s = static_cast<std::int16_t>(std::lround(v * 32767.0f));
        out.push_back(static_cast<std::uint8_t>(s & 0xFF));
        out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
      } else {
        out.push_back(static_cast<std::uint8_t>(std::lround(v * 127.0f) + 128));
      }
    }
  };
  for (; position_ < last; position_ += step) {
    const double floorPos = std::floor(position_);
    const int i = static_cast<int>(floorPos);
    const float a = i < 0 ? last_ : static_cast<float>(samples[i]) / 32768.0f;
    const float b = static_cast<float>(samples[i + 1]) / 32768.0f;
    put(a + (b - a) * static_cast<float>(position_ - floorPos));
  }
  position_ -= count;
  last_ = static_cast<float>(samples[count - 1]) / 32768.0f;
}

CEspeakSpeech::CEspeakSpeech(IAudioOutput* output, std::string dicDir)
    : output_(output), dicDir_(std::move(dicDir)) {}

CEspeakSpeech::~CEspeakSpeech() {
  if (!started_) return;
  ++generation_;  // aborts an utterance in progress
  {
    std::lock_guard lock(textMutex_);
    stop_ = true;
  }
  textReady_.notify_all();
  worker_.join();
  {
    std::lock_guard lock(outputMutex_);
    if (output_ && outputOpen_) output_->Close();
    outputOpen_ = false;
  }
}

void CEspeakSpeech::AddProblem(const std::string& line) {
  if (!problems_.empty()) problems_ += '\n';
  problems_ += line;
}

bool CEspeakSpeech::Start() {
  if (started_) return true;
  problems_.clear();
  const EspeakStart espeak = InitializeEspeakOnce(dataPath_);
  if (espeak.rate <= 0) {
    AddProblem(WithReason(voice_texts::kNoVoiceData, espeak.error));
    return false;
  }
  if (espeak_SetVoiceByName(kVoices[0].name) != EE_OK) {
    AddProblem(WithReason(voice_texts::kNoVoiceData, kVoices[0].name));
    return false;
  }
  const int rate = espeak.rate;
  sourceRate_ = rate;
  // The dictionary loads before the first word; from here on only the worker uses it.
  reader_ = std::make_unique<CReadingConverter>(dicDir_);
  if (!reader_->HasDictionary()) AddProblem(voice_texts::kNoDictionary);
  if (!readingsFolder_.empty()) {
    std::string notice;
    reader_->SetUserReadings(CReadingDictionary::Load(readingsFolder_, notice));
    if (!notice.empty()) AddProblem(notice);
  }
  espeak_SetSynthCallback(&SynthCallback);
  format_ = AudioFormat{rate, 16, 1};
  if (output_) outputOpen_ = output_->Open(format_, nullptr);
  started_ = true;
  worker_ = std::thread([this] { Run(); });
  return true;
}

std::vector<std::string> CEspeakSpeech::Voices() {
  std::vector<std::string> rows;
  for (const auto& v : kVoices) rows.emplace_back(v.description);
  return rows;
}

bool CEspeakSpeech::SelectVoice(int index) {
  if (index < -1 || index >= static_cast<int>(std::size(kVoices))) return false;
  Speak("");
  voice_.store(index < 0 ? 0 : index);
  return true;
}

void CEspeakSpeech::Speak(std::string_view text) {
  std::uint64_t generation;
  {
    std::lock_guard lock(outputMutex_);
    generation = ++generation_;
    if (output_ && outputOpen_) output_->Reset();
  }
  {
    std::lock_guard lock(textMutex_);
    text_.assign(text);
    textGeneration_ = generation;
  }
  textReady_.notify_all();
}

bool CEspeakSpeech::SetRate(int rate) {
  if (rate < -10 || rate > 10) return false;
  rate_.store(rate);
  return true;
}

bool CEspeakSpeech::SetVolume(int volume) {
  if (volume < 0 || volume > 100) return false;
  volume_.store(volume);
  return true;
}

std::optional<AudioFormat> CEspeakSpeech::OutputFormat() {
  std::lock_guard lock(outputMutex_);
  return format_;
}

bool CEspeakSpeech::SetOutputFormat(const AudioFormat& format) {
  std::lock_guard lock(outputMutex_);
  ++generation_;
  if (output_) {
    if (outputOpen_) output_->Close();
    outputOpen_ = output_->Open(format, nullptr);
    if (!outputOpen_) return false;
  }
  format_ = format;
  return true;
}

int CEspeakSpeech::Deliver(const short* wav, int count) {
  if (generation_.load() != speaking_) return 1;
  if (wav == nullptr || count <= 0) return 0;
  if (leading_) {
    // The silence before the first sound (the closure of a leading キ or タ, tens of ms) is
    // not played: the user hears the answer that much sooner.
    int skip = 0;
    while (skip < count && std::abs(wav[skip]) <= kSilenceLevel) ++skip;
    wav += skip;
    count -= skip;
    if (count == 0) return 0;
    leading_ = false;
  }
  block_.clear();
  converter_->Convert(wav, count, static_cast<float>(volume_.load()) / 100.0f, block_);
  std::lock_guard lock(outputMutex_);
  if (generation_.load() != speaking_) return 1;
  if (output_ && outputOpen_ && !block_.empty()) output_->Queue(std::move(block_));
  return 0;
}

void CEspeakSpeech::Run() {
  int appliedVoice = 0;
  int appliedRate = 0;
  espeak_SetParameter(espeakRATE, WordsPerMinute(0), 0);
  std::uint64_t handled = 0;
  for (;;) {
    std::string text;
    std::uint64_t generation;
    {
      std::unique_lock lock(textMutex_);
      textReady_.wait(lock, [&] { return stop_ || textGeneration_ != handled; });
      if (stop_) return;
      text.swap(text_);
      generation = handled = textGeneration_;
    }
    if (text.empty()) continue;
    std::string reading = reader_->ToReading(text);
    if (generation_.load() != generation) continue;
    if (int v = voice_.load(); v != appliedVoice) {
      espeak_SetVoiceByName(kVoices[v].name);
      appliedVoice = v;
      appliedRate = -100;  // a new voice starts from its own rate
    }
    if (int r = rate_.load(); r != appliedRate) {
      espeak_SetParameter(espeakRATE, WordsPerMinute(r), 0);
      appliedRate = r;
    }
    {
      std::lock_guard lock(outputMutex_);
      converter_ = std::make_unique<CPcmConverter>(sourceRate_, format_);
    }
    speaking_ = generation;
    leading_ = true;
    // The reading holds phonemes in [[ ]] for the syllables the voice's rules get wrong, and
    // its English phrases in SSML voice elements; a [, < or & of the text itself never gets this
    // far.
    espeak_Synth(reading.c_str(), reading.size() + 1, 0, POS_CHARACTER, 0,
                 espeakCHARS_UTF8 | espeakPHONEMES | espeakSSML, nullptr, this);
  }
}

}  // namespace zentory
