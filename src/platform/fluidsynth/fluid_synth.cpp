#include "platform/fluidsynth/fluid_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace zentory {

namespace {

constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};
constexpr const char* kDeviceName = "内蔵シンセサイザー (FluidSynth)";
constexpr std::int64_t kUnset = std::numeric_limits<std::int64_t>::min();
// A velocity-100 piano note is brought to this RMS level, 4 dB under an announcement of the
// embedded voice at full volume (about -21 dBFS): the voice stays on top of a song, and a note
// is not lost under the voice, whichever SoundFont is loaded (their levels differ by 15 dB).
constexpr double kNoteRmsTarget = 0.056;  // -25 dBFS
constexpr int kProbeMs = 500;
constexpr float kMinGain = 0.05f;
constexpr float kMaxGain = 5.0f;

// FluidSynth's own chatter would land on the program's standard error between our lines.
void QuietLog(int, const char*, void*) {}

class CFluidPort : public IMidiPort {
 public:
  explicit CFluidPort(CFluidSynth& synth) : synth_(synth) {}
  bool ShortMessage(std::uint32_t message) override {
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message),
                                   static_cast<std::uint8_t>(message >> 8),
                                   static_cast<std::uint8_t>(message >> 16)};
    synth_.Enqueue(Frame(), bytes, 3, this);
    return true;
  }
  bool SysEx(std::span<const std::uint8_t> data) override {
    if (data.empty()) return false;
    synth_.Enqueue(Frame(), data.data(), data.size(), this);
    return true;
  }
  bool Reset() override {
    // Notes queued ahead of the audio would otherwise sound after the reset, with no note-off
    // ever to follow.
    synth_.ResetFrom(this);
    return true;
  }
  bool ResetAfterEnd() override {
    // Every note-on of the music has its note-off queued behind it: the notes are released and
    // their release and reverb ring out, as at the end of a piece.
    for (std::uint8_t ch = 0; ch < 16; ++ch) {
      const std::uint8_t notesOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 123, 0};
      const std::uint8_t controllers[3] = {static_cast<std::uint8_t>(0xB0 | ch), 121, 0};
      synth_.Enqueue(-1, notesOff, 3, this);
      synth_.Enqueue(-1, controllers, 3, this);
    }
    return true;
  }
  void SetDueTime(std::int64_t dueUs) override { due_ = dueUs; }
  bool TakesBurst() const override { return true; }

 private:
  std::int64_t Frame() { return due_ < 0 ? -1 : synth_.FrameOf(due_, &offset_); }
  CFluidSynth& synth_;
  std::int64_t due_ = -1;
  std::int64_t offset_ = kUnset;
};

}  // namespace

struct CFluidSynth::Handles {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  ~Handles() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

CFluidSynth::CFluidSynth() = default;

CFluidSynth::~CFluidSynth() = default;

bool CFluidSynth::Start(int rate, const std::string& soundFont) {
  soundFont_ = soundFont;
  if (soundFont_.empty()) {
    for (const char* path : kSoundFonts) {
      std::error_code ec;
      if (std::filesystem::exists(path, ec)) {
        soundFont_ = path;
        break;
      }
    }
  }
  if (soundFont_.empty()) {
    error_ = "no GM SoundFont (fluid-soundfont-gm or timgm6mb-soundfont)";
    return false;
  }
  for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, &QuietLog, nullptr);
  }
  auto h = std::make_unique<Handles>();
  h->settings = new_fluid_settings();
  if (!h->settings) {
    error_ = "new_fluid_settings failed";
    return false;
  }
  rate_ = rate;
  fluid_settings_setnum(h->settings, "synth.sample-rate", rate);
  // GS messages address device 16 (0x10), the broadcast id most files use.
  fluid_settings_setint(h->settings, "synth.device-id", 16);
  // Samples are read when a preset first plays, so a large SoundFont starts fast.
  fluid_settings_setint(h->settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setnum(h->settings, "synth.gain", 0.3);
  h->synth = new_fluid_synth(h->settings);
  if (!h->synth) {
    error_ = "new_fluid_synth failed";
    return false;
  }
  if (fluid_synth_sfload(h->synth, soundFont_.c_str(), 1) == FLUID_FAILED) {
    error_ = "cannot load " + soundFont_;
    return false;
  }
  h_ = std::move(h);
  BalanceGain();
  return true;
}

void CFluidSynth::BalanceGain() {
  fluid_synth_t* s = h_->synth;
  const int frames = rate_ * kProbeMs / 1000;
  std::vector<float> probe(2 * static_cast<std::size_t>(std::max(frames, kFluidBlockFrames)));
  fluid_synth_program_change(s, 0, 0);
  fluid_synth_noteon(s, 0, 60, 100);
  fluid_synth_write_float(s, frames, probe.data(), 0, 2, probe.data(), 1, 2);
  double sum = 0;
  for (int i = 0; i < 2 * frames; ++i) sum += double{probe[i]} * probe[i];
  const double rms = frames > 0 ? std::sqrt(sum / (2.0 * frames)) : 0.0;
  if (rms > 0) {
    const double gain = fluid_synth_get_gain(s) * kNoteRmsTarget / rms;
    fluid_synth_set_gain(s, std::clamp(static_cast<float>(gain), kMinGain, kMaxGain));
  }
  // Nothing of the probe may reach the first block the program renders.
  Silence();
  fluid_synth_write_float(s, kFluidBlockFrames, probe.data(), 0, 2, probe.data(), 1, 2);
  fluid_synth_program_change(s, 0, 0);
}

std::vector<std::string> CFluidSynth::DeviceNames() { return {kDeviceName}; }

std::unique_ptr<IMidiPort> CFluidSynth::Open(int id) {
  if (!h_ || (id != -1 && id != 0)) return nullptr;
  return std::make_unique<CFluidPort>(*this);
}

std::int64_t CFluidSynth::FrameOf(std::int64_t dueUs, std::int64_t* offset) const {
  const std::int64_t frame = dueUs * rate_ / 1000000;
  if (locked_.load()) return frame;
  if (*offset == kUnset) *offset = rendered_.load() + latency_.load() - frame;
  return frame + *offset;
}

void CFluidSynth::Enqueue(std::int64_t frame, const std::uint8_t* bytes, std::size_t count,
                          const void* owner) {
  std::lock_guard lock(mutex_);
  queue_.push_back(Pending{frame, std::vector<std::uint8_t>(bytes, bytes + count), owner});
}

void CFluidSynth::ResetFrom(const void* owner) {
  std::lock_guard lock(mutex_);
  std::erase_if(queue_, [owner](const Pending& p) { return p.owner == owner; });
  queue_.push_back(Pending{-1, {}, owner, true});
}

void CFluidSynth::Apply(const std::vector<std::uint8_t>& b) {
  fluid_synth_t* s = h_->synth;
  if (b[0] == 0xF0) {
    // FluidSynth takes the message without its F0 and F7.
    std::size_t n = b.size() - 1;
    if (n > 0 && b.back() == 0xF7) --n;
    fluid_synth_sysex(s, reinterpret_cast<const char*>(b.data() + 1), static_cast<int>(n), nullptr,
                      nullptr, nullptr, 0);
    return;
  }
  if (b.size() < 3 || b[0] < 0x80) return;
  const int ch = b[0] & 0x0F;
  const int d1 = b[1] & 0x7F;
  const int d2 = b[2] & 0x7F;
  switch (b[0] & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(s, ch, d1);
      break;
    case 0x90:
      if (d2 == 0) {
        fluid_synth_noteoff(s, ch, d1);
      } else {
        RestoreReverb();
        fluid_synth_noteon(s, ch, d1, d2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(s, ch, d1, d2);
      break;
    case 0xB0:
      fluid_synth_cc(s, ch, d1, d2);
      break;
    case 0xC0:
      fluid_synth_program_change(s, ch, d1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(s, ch, d1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(s, ch, d1 | d2 << 7);
      break;
    default:
      break;
  }
}

void CFluidSynth::Write(float* stereo, int from, int to) {
  if (to <= from) return;
  fluid_synth_write_float(h_->synth, to - from, stereo + 2 * from, 0, 2, stereo + 2 * from, 1, 2);
}

void CFluidSynth::WriteFading(float* stereo, int from, int to) {
  while (fadeLeft_ > 0 && from < to) {
    // A short linear fade, then silence for one of FluidSynth's blocks: it renders ahead in
    // blocks of 64 frames, so what it has already made of the voices still comes out after
    // they are switched off. A cut from full level would click.
    const int ramp = fadeLeft_ - kFluidBlockFrames;
    const int n = std::min(to - from, ramp > 0 ? ramp : fadeLeft_);
    Write(stereo, from, from + n);
    for (int k = 0; k < n; ++k) {
      const float gain =
          ramp > 0 ? static_cast<float>(ramp - k) / static_cast<float>(fadeTotal_) : 0.0f;
      stereo[2 * (from + k)] *= gain;
      stereo[2 * (from + k) + 1] *= gain;
    }
    fadeLeft_ -= n;
    from += n;
    if (ramp > 0 && fadeLeft_ == kFluidBlockFrames) Silence();
  }
  Write(stereo, from, to);
  if (reverbMutedFrames_ > 0) {
    reverbMutedFrames_ -= to - from;
    if (reverbMutedFrames_ <= 0) RestoreReverb();
  }
}

void CFluidSynth::Limit(float* stereo, int frames) {
  // The balanced gain leaves a dense passage room to pass full scale, where the mix would cut
  // its peaks off hard: the level comes down at once before a peak and back over 100 ms.
  const float release = 1.0f / (0.1f * static_cast<float>(rate_));
  for (int i = 0; i < frames; ++i) {
    float& l = stereo[2 * i];
    float& r = stereo[2 * i + 1];
    const float peak = std::max(std::fabs(l), std::fabs(r));
    if (peak * limiterGain_ > kLimiterCeiling) limiterGain_ = kLimiterCeiling / peak;
    l *= limiterGain_;
    r *= limiterGain_;
    limiterGain_ = std::min(1.0f, limiterGain_ + (1.0f - limiterGain_) * release);
  }
}

void CFluidSynth::Silence() {
  fluid_synth_t* s = h_->synth;
  fluid_synth_all_sounds_off(s, -1);
  for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(s, ch, 121, 0);  // reset all controllers
  // The reverb's delay lines still ring for a second or more at about -55 dBFS; with its level
  // at 0 they die away unheard. The next note brings the level back (its own sound covers what
  // is left), or the tail's time runs out.
  if (reverbMutedFrames_ <= 0) {
    double level = 0;
    if (fluid_synth_get_reverb_group_level(s, 0, &level) == FLUID_OK) reverbLevel_ = level;
    fluid_synth_set_reverb_group_level(s, -1, 0.0);
  }
  reverbMutedFrames_ = rate_ * kReverbRestMs / 1000;
}

void CFluidSynth::RestoreReverb() {
  if (reverbLevel_ < 0) return;
  fluid_synth_set_reverb_group_level(h_->synth, -1, reverbLevel_);
  reverbLevel_ = -1;
  reverbMutedFrames_ = 0;
}

void CFluidSynth::Render(float* stereo, int frames) {
  if (!h_ || frames <= 0) {
    std::fill(stereo, stereo + 2 * std::max(frames, 0), 0.0f);
    return;
  }
  const std::int64_t start = rendered_.load();
  const std::int64_t end = start + frames;
  taken_.clear();
  {
    std::lock_guard lock(mutex_);
    auto due = [end](const Pending& p) { return p.frame < end; };
    auto split = std::stable_partition(queue_.begin(), queue_.end(), due);
    std::move(queue_.begin(), split, std::back_inserter(taken_));
    queue_.erase(queue_.begin(), split);
  }
  std::stable_sort(taken_.begin(), taken_.end(), [start](const Pending& a, const Pending& b) {
    return std::max(a.frame, start) < std::max(b.frame, start);
  });
  int at = 0;
  std::size_t next = 0;
  for (; next < taken_.size(); ++next) {
    const Pending& p = taken_[next];
    std::int64_t frame = std::clamp<std::int64_t>(p.frame - start, at, frames);
    // Nothing is applied during a reset's fade: it would be wiped out at its end.
    frame = std::max<std::int64_t>(frame, at + fadeLeft_);
    if (frame >= frames && fadeLeft_ > 0) break;
    WriteFading(stereo, at, static_cast<int>(frame));
    at = static_cast<int>(frame);
    if (p.reset) {
      if (fadeLeft_ == 0) {
        fadeTotal_ = std::max(rate_ * kResetFadeMs / 1000, 1);
        fadeLeft_ = fadeTotal_ + kFluidBlockFrames;
      }
    } else {
      Apply(p.bytes);
    }
  }
  WriteFading(stereo, at, frames);
  Limit(stereo, frames);
  if (next < taken_.size()) {
    // Held back by the fade: first in the next block, in their order.
    std::lock_guard lock(mutex_);
    for (std::size_t i = next; i < taken_.size(); ++i) taken_[i].frame = -1;
    queue_.insert(queue_.begin(), std::make_move_iterator(taken_.begin() + next),
                  std::make_move_iterator(taken_.end()));
  }
  rendered_.store(end);
}

}  // namespace zentory
