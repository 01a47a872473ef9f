#include "platform/sdl_audio/sdl_audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zentory {

namespace {

// Decodes interleaved PCM of FORMAT into float stereo frames.
std::vector<float> ToStereoFloat(const std::vector<std::uint8_t>& pcm, const AudioFormat& format) {
  const int bytesPerSample = format.bits == 16 ? 2 : 1;
  const int channels = format.channels == 2 ? 2 : 1;
  const std::size_t frameBytes = static_cast<std::size_t>(bytesPerSample * channels);
  const std::size_t frames = pcm.size() / frameBytes;  // a trailing partial frame is dropped
  std::vector<float> out(frames * 2);
  auto sample = [&](std::size_t index) -> float {
    if (bytesPerSample == 2) {
      std::int16_t v;
      std::memcpy(&v, &pcm[index * 2], 2);
      return static_cast<float>(v) / 32768.0f;
    }
    return (static_cast<float>(pcm[index]) - 128.0f) / 128.0f;  // 8-bit PCM is unsigned
  };
  for (std::size_t f = 0; f < frames; ++f) {
    float l = sample(f * static_cast<std::size_t>(channels));
    float r = channels == 2 ? sample(f * 2 + 1) : l;
    out[f * 2] = l;
    out[f * 2 + 1] = r;
  }
  return out;
}

}  // namespace

struct CSdlAudioDevice::Stream {
  struct Buffer {
    std::uint64_t id;
    std::vector<float> frames;  // float stereo at the stream's rate
  };
  bool open = false;
  AudioFormat format;
  IAudioOutput::Done onDone;
  std::deque<Buffer> queue;
  double position = 0;  // frame position inside queue.front()
  std::uint64_t nextId = 1;
  std::vector<std::uint64_t> finished;  // handed back after the block is mixed
};

namespace {

class CSdlOutput : public IAudioOutput {
 public:
  explicit CSdlOutput(CSdlAudioDevice* device) : device_(device) {}
  ~CSdlOutput() override;
  bool Open(const AudioFormat& format, Done onDone) override;
  AudioFormat Format() const override { return state_.format; }
  std::uint64_t Queue(std::vector<std::uint8_t> samples) override;
  void Reset() override;
  void Close() override;
  CSdlAudioDevice::Stream* State() { return &state_; }

 private:
  CSdlAudioDevice* device_;
  CSdlAudioDevice::Stream state_;
};

}  // namespace

CSdlAudioDevice::CSdlAudioDevice() = default;

CSdlAudioDevice::~CSdlAudioDevice() { Close(); }

bool CSdlAudioDevice::Open(int rate, int frames) {
  if (device_) return true;
  // SDL would otherwise take SIGINT and SIGTERM for its own event queue, which nobody reads
  // here: the program could then no longer be stopped by them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error_ = SDL_GetError();
    return false;
  }
  sdlInit_ = true;
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = static_cast<Uint16>(frames);
  want.callback = &CSdlAudioDevice::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) {
    error_ = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlInit_ = false;
    return false;
  }
  rate_ = have.freq;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void CSdlAudioDevice::Close() {
  if (device_) {
    SDL_CloseAudioDevice(device_);  // waits for a running callback
    device_ = 0;
  }
  if (sdlInit_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlInit_ = false;
  }
}

std::unique_ptr<IAudioOutput> CSdlAudioDevice::CreateOutput() {
  auto output = std::make_unique<CSdlOutput>(this);
  Stream* state = output->State();
  Locked([&] {
    streams_.push_back(state);
    return 0;
  });
  return output;
}

void CSdlAudioDevice::DetachStream(Stream* stream) {
  Locked([&] {
    std::erase(streams_, stream);
    return 0;
  });
}

int CSdlAudioDevice::AddRenderer(Renderer renderer) {
  return Locked([&] {
    renderers_.emplace_back(nextRenderer_, std::move(renderer));
    return nextRenderer_++;
  });
}

void CSdlAudioDevice::RemoveRenderer(int id) {
  Locked([&] {
    std::erase_if(renderers_, [id](const auto& r) { return r.first == id; });
    return 0;
  });
}

void CSdlAudioDevice::SetObserver(Observer observer) {
  Locked([&] {
    observer_ = std::move(observer);
    return 0;
  });
}

void CSdlAudioDevice::Callback(void* self, Uint8* out, int len) {
  auto* device = static_cast<CSdlAudioDevice*>(self);
  const int frames = len / static_cast<int>(2 * sizeof(float));
  device->Mix(reinterpret_cast<float*>(out), frames);
}

void CSdlAudioDevice::Mix(float* out, int frames) {
  const std::size_t n = static_cast<std::size_t>(frames) * 2;
  std::fill(out, out + n, 0.0f);
  for (auto& [id, render] : renderers_) {
    scratch_.assign(n, 0.0f);
    render(scratch_.data(), frames);
    for (std::size_t i = 0; i < n; ++i) out[i] += scratch_[i];
  }
  for (Stream* s : streams_) {
    if (!s->open) continue;
    const double step = static_cast<double>(s->format.rate) / rate_;
    for (int f = 0; f < frames && !s->queue.empty(); ++f) {
      const auto& cur = s->queue.front().frames;
      const std::size_t count = cur.size() / 2;
      const auto i = static_cast<std::size_t>(s->position);
      const auto frac = static_cast<float>(s->position - static_cast<double>(i));
      const float* a = &cur[i * 2];
      const float* b = a;
      if (i + 1 < count) {
        b = &cur[(i + 1) * 2];
      } else if (s->queue.size() > 1 && !s->queue[1].frames.empty()) {
        b = s->queue[1].frames.data();
      }
      out[f * 2] += a[0] + (b[0] - a[0]) * frac;
      out[f * 2 + 1] += a[1] + (b[1] - a[1]) * frac;
      s->position += step;
      while (!s->queue.empty() &&
             s->position >= static_cast<double>(s->queue.front().frames.size() / 2)) {
        s->position -= static_cast<double>(s->queue.front().frames.size() / 2);
        s->finished.push_back(s->queue.front().id);
        s->queue.pop_front();
      }
    }
  }
  for (std::size_t i = 0; i < n; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  if (observer_) observer_(out, frames);
  // Handing back may queue the next buffer (the device lock is recursive); take the list first.
  for (Stream* s : streams_) {
    if (s->finished.empty()) continue;
    std::vector<std::uint64_t> done;
    done.swap(s->finished);
    if (s->onDone) {
      for (std::uint64_t id : done) s->onDone(id);
    }
  }
}

CSdlOutput::~CSdlOutput() {
  Close();
  device_->DetachStream(&state_);
}

bool CSdlOutput::Open(const AudioFormat& format, Done onDone) {
  if (!device_->IsOpen()) return false;
  if ((format.bits != 8 && format.bits != 16) || (format.channels != 1 && format.channels != 2) ||
      format.rate <= 0) {
    return false;
  }
  Close();
  device_->Locked([&] {
    state_.format = format;
    state_.onDone = std::move(onDone);
    state_.position = 0;
    state_.open = true;
    return 0;
  });
  return true;
}

std::uint64_t CSdlOutput::Queue(std::vector<std::uint8_t> samples) {
  if (!state_.open) return 0;
  std::vector<float> frames = ToStereoFloat(samples, state_.format);
  if (frames.empty()) return 0;
  return device_->Locked([&]() -> std::uint64_t {
    if (!state_.open) return 0;
    std::uint64_t id = state_.nextId++;
    state_.queue.push_back({id, std::move(frames)});
    return id;
  });
}

void CSdlOutput::Reset() {
  device_->Locked([&] {
    std::vector<std::uint64_t> ids(state_.finished);
    state_.finished.clear();
    for (const auto& b : state_.queue) ids.push_back(b.id);
    state_.queue.clear();
    state_.position = 0;
    if (state_.onDone) {
      for (std::uint64_t id : ids) state_.onDone(id);
    }
    return 0;
  });
}

void CSdlOutput::Close() {
  if (!state_.open) return;
  Reset();
  device_->Locked([&] {
    state_.open = false;
    state_.onDone = nullptr;
    return 0;
  });
}

}  // namespace zentory
