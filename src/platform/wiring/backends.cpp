#include "platform/wiring/backends.h"

#if defined(ZENTORY_HAVE_TIMER)
#include "platform/timer/timer_service.h"
#elif defined(ZENTORY_HAVE_WIN32)
#include "platform/win32/waitable_timer.h"
#endif
#if defined(ZENTORY_HAVE_SDL_AUDIO)
#include "platform/sdl_audio/sdl_audio.h"
#endif
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
#include "platform/espeak_mecab/espeak_speech.h"
#endif
#if defined(ZENTORY_HAVE_SPEECHD)
#include "platform/speechd/speechd_speech.h"
#endif

namespace zentory {

namespace {
constexpr int kAudioRate = 48000;
constexpr int kAudioBufferFrames = 512;
}  // namespace

// Members in destruction order, last first: voices, then streams, then the device.
struct CBackends::Impl {
#if defined(ZENTORY_HAVE_TIMER)
  CSteadyClock clock;
  CThreadTimerService timers;
#elif defined(ZENTORY_HAVE_WIN32)
  CWin32Clock clock;
  CWaitableTimerService timers;
#endif
#if defined(ZENTORY_HAVE_SDL_AUDIO)
  CSdlAudioDevice device;
#endif
  std::unique_ptr<IAudioOutput> speechStream;
  std::unique_ptr<IAudioOutput> waveStream;
#if defined(ZENTORY_HAVE_SPEECHD)
  std::unique_ptr<CSpeechdSpeech> speechd;
#endif
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
  std::unique_ptr<CEspeakSpeech> embedded;
#endif

  ISpeechSynth* StartEmbedded(std::vector<std::string>& problems,
                              const std::string& readingsFolder) {
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
    embedded = std::make_unique<CEspeakSpeech>(speechStream.get());
    embedded->SetReadingsFolder(readingsFolder);
    const bool started = embedded->Start();
    if (!embedded->Problems().empty()) problems.push_back(embedded->Problems());
    if (started) return embedded.get();
    embedded.reset();
#else
    (void)readingsFolder;
    problems.push_back(backend_texts::kNoEmbeddedVoice);
#endif
    return nullptr;
  }
};

CBackends::CBackends() : impl_(std::make_unique<Impl>()) {}

CBackends::~CBackends() = default;

bool CBackends::OpenAudio(std::vector<std::string>& problems) {
#if defined(ZENTORY_HAVE_SDL_AUDIO)
  if (impl_->speechStream) return true;
  if (impl_->device.Open(kAudioRate, kAudioBufferFrames)) {
    impl_->speechStream = impl_->device.CreateOutput();
    impl_->waveStream = impl_->device.CreateOutput();
    return true;
  }
  problems.push_back(std::string(backend_texts::kNoAudioDevice) + ": " + impl_->device.Error());
#else
  problems.push_back(backend_texts::kNoAudioDevice);
#endif
  return false;
}

IAudioOutput* CBackends::SpeechAudio() const { return impl_->speechStream.get(); }

IAudioOutput* CBackends::WaveAudio() const { return impl_->waveStream.get(); }

ISpeechSynth* CBackends::StartSpeech(std::string_view which, bool fallback,
                                     std::vector<std::string>& problems,
                                     const std::string& readingsFolder) {
  if (which == "speechd") {
#if defined(ZENTORY_HAVE_SPEECHD)
    impl_->speechd = std::make_unique<CSpeechdSpeech>();
    if (impl_->speechd->Open()) return impl_->speechd.get();
    std::string line = std::string(backend_texts::kNoSpeechd) + ": " + impl_->speechd->Error();
    impl_->speechd.reset();
#else
    std::string line = backend_texts::kNoSpeechd;
#endif
    if (!fallback) {
      problems.push_back(line);
      return nullptr;
    }
    problems.push_back(line + "\n" + backend_texts::kNoSpeechdFallback);
    return impl_->StartEmbedded(problems, readingsFolder);
  }
  if (which == "embedded") return impl_->StartEmbedded(problems, readingsFolder);
  return nullptr;
}

int CBackends::AudioRate() const {
#if defined(ZENTORY_HAVE_SDL_AUDIO)
  if (impl_->device.IsOpen()) return impl_->device.Rate();
#endif
  return 0;
}

int CBackends::AudioBufferFrames() const { return kAudioBufferFrames; }

int CBackends::AddAudioRenderer(std::function<void(float*, int)> renderer) {
#if defined(ZENTORY_HAVE_SDL_AUDIO)
  if (impl_->device.IsOpen()) return impl_->device.AddRenderer(std::move(renderer));
#else
  (void)renderer;
#endif
  return 0;
}

void CBackends::RemoveAudioRenderer(int id) {
#if defined(ZENTORY_HAVE_SDL_AUDIO)
  if (id != 0) impl_->device.RemoveRenderer(id);
#else
  (void)id;
#endif
}

IClock* CBackends::RealClock() {
#if defined(ZENTORY_HAVE_TIMER) || defined(ZENTORY_HAVE_WIN32)
  return &impl_->clock;
#else
  return nullptr;
#endif
}

ITimerService* CBackends::RealTimers() {
#if defined(ZENTORY_HAVE_TIMER) || defined(ZENTORY_HAVE_WIN32)
  return &impl_->timers;
#else
  return nullptr;
#endif
}

}  // namespace zentory
