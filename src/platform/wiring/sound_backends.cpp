#include "platform/wiring/sound_backends.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <mutex>

#include "base/general.h"
#include "sound/midi_log.h"
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
#include "platform/fluidsynth/fluid_synth.h"
#endif
#if defined(ZENTORY_HAVE_RTMIDI)
#include "platform/rtmidi/rtmidi_output.h"
#endif
#if defined(ZENTORY_HAVE_WIN32)
#include "platform/win32/winmm_midi.h"
#endif
#if defined(ZENTORY_HAVE_ALSA_MIXER)
#include "platform/alsa_mixer/alsa_mixer.h"
#endif

namespace zentory {

namespace {

constexpr int kNoPortId = -2;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsNumber(const std::string& text) {
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Id -1 is the user's choice; ids 0..n-1 the sequencer ports. The embedded synth counts as a
// device, so a machine without ports still has one.
class CChosenOutput : public IMidiOutput {
 public:
  CChosenOutput(IMidiOutput* synth, IMidiOutput* ports, IMidiOutput* silent, int chosenPort)
      : synth_(synth), ports_(ports), silent_(silent), chosen_(chosenPort) {}
  int DeviceCount() override {
    if (silent_) return 1;
    return (synth_ ? 1 : 0) + (ports_ ? ports_->DeviceCount() : 0);
  }
  std::vector<std::string> DeviceNames() override {
    std::vector<std::string> names;
    if (ports_) names = ports_->DeviceNames();
    return names;
  }
  std::unique_ptr<IMidiPort> Open(int id) override {
    if (id == -1) {
      if (silent_) return silent_->Open(-1);
      if (chosen_ == -1) return synth_ ? synth_->Open(-1) : nullptr;
      id = chosen_;
    }
    if (id < 0 || !ports_) return nullptr;
    return ports_->Open(id);
  }

 private:
  IMidiOutput* synth_;
  IMidiOutput* ports_;
  IMidiOutput* silent_;
  int chosen_;
};

}  // namespace

struct CSoundBackends::Impl {
  AudioMix mix;
  int renderer = 0;
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
  std::unique_ptr<CFluidSynth> synth;
#endif
#if defined(ZENTORY_HAVE_RTMIDI)
  std::unique_ptr<CRtMidiOutput> ports;
#elif defined(ZENTORY_HAVE_WIN32)
  std::unique_ptr<CWinMidiOutput> ports;
#endif
#if defined(ZENTORY_HAVE_ALSA_MIXER)
  std::unique_ptr<CAlsaMixer> mixer;
#endif
  std::unique_ptr<CMidiLog> silent;
  std::unique_ptr<CChosenOutput> chosen;
  std::ofstream logFile;
  std::unique_ptr<CMidiLog> log;

  ~Impl() {
    if (renderer != 0 && mix.removeRenderer) mix.removeRenderer(renderer);
  }

  IMidiOutput* Synth() {
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
    return synth.get();
#else
    return nullptr;
#endif
  }
  IMidiOutput* Ports() {
#if defined(ZENTORY_HAVE_RTMIDI) || defined(ZENTORY_HAVE_WIN32)
    return ports.get();
#else
    return nullptr;
#endif
  }

  bool StartSynth(std::vector<std::string>& problems) {
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
    if (mix.rate <= 0 || !mix.addRenderer) {
      problems.push_back(sound_texts::kNoSynth);
      return false;
    }
    synth = std::make_unique<CFluidSynth>();
    if (!synth->Start(mix.rate)) {
      problems.push_back(std::string(sound_texts::kNoSynth) + ": " + synth->Error());
      synth.reset();
      return false;
    }
    synth->SetLatencyFrames(2 * std::max(mix.bufferFrames, 64));
    CFluidSynth* s = synth.get();
    renderer = mix.addRenderer([s](float* stereo, int frames) { s->Render(stereo, frames); });
    return true;
#else
    problems.push_back(sound_texts::kNoSynth);
    return false;
#endif
  }

  void StartPorts() {
#if defined(ZENTORY_HAVE_RTMIDI)
    ports = std::make_unique<CRtMidiOutput>();
#elif defined(ZENTORY_HAVE_WIN32)
    ports = std::make_unique<CWinMidiOutput>();
#endif
  }
};

CSoundBackends::CSoundBackends() : impl_(std::make_unique<Impl>()) {}

CSoundBackends::~CSoundBackends() = default;

IMidiOutput* CSoundBackends::StartMidi(const MidiChoice& choice, IClock* clock, const AudioMix& mix,
                                       std::vector<std::string>& problems) {
  Impl& m = *impl_;
  m.mix = mix;
  int chosen = -1;
  if (choice.port == "none") {
    m.silent = std::make_unique<CMidiLog>(nullptr, nullptr, nullptr);
  } else if (choice.port == "embedded") {
    m.StartSynth(problems);
  } else {
    m.StartPorts();
    IMidiOutput* ports = m.Ports();
    const std::vector<std::string> names =
        ports ? ports->DeviceNames() : std::vector<std::string>{};
    chosen = kNoPortId;
    if (IsNumber(choice.port)) {
      const int n = std::stoi(choice.port);
      if (n < static_cast<int>(names.size())) chosen = n;
    } else {
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (Lower(names[i]).find(Lower(choice.port)) != std::string::npos) {
          chosen = static_cast<int>(i);
          break;
        }
      }
    }
    // A port that is not there is reported when it is opened; no other port stands in for it.
    if (chosen == kNoPortId)
      problems.push_back(std::string(sound_texts::kNoPort) + ": " + choice.port);
  }
  m.chosen = std::make_unique<CChosenOutput>(m.Synth(), m.Ports(), m.silent.get(), chosen);
  if (choice.logPath.empty()) return m.chosen.get();
  // Binary: one "\n" ends a line on every system.
  m.logFile.open(PathFromUtf8(choice.logPath), std::ios::app | std::ios::binary);
  if (!m.logFile) {
    problems.push_back(std::string(sound_texts::kNoLog) + ": " + choice.logPath);
    return m.chosen.get();
  }
  m.log = std::make_unique<CMidiLog>(m.chosen.get(), clock, [&m](std::string_view line) {
    m.logFile << line << '\n';
    m.logFile.flush();
  });
  return m.log.get();
}

IMixer* CSoundBackends::OpenMixer() {
#if defined(ZENTORY_HAVE_ALSA_MIXER)
  impl_->mixer = std::make_unique<CAlsaMixer>();
  if (impl_->mixer->Open()) return impl_->mixer.get();
  std::cerr << sound_texts::kNoMixer << impl_->mixer->Error() << '\n';
  impl_->mixer.reset();
#else
  std::cerr << sound_texts::kNoMixer << "ALSA\n";
#endif
  return nullptr;
}

int CSoundBackends::ListOutputs(std::ostream& out) {
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
  out << sound_texts::kListEmbedded << ": FluidSynth\n";
#endif
#if defined(ZENTORY_HAVE_RTMIDI)
  CRtMidiOutput ports;
  const auto names = ports.DeviceNames();
  for (std::size_t i = 0; i < names.size(); ++i) out << i << ": " << names[i] << '\n';
  if (names.empty()) out << sound_texts::kListNone << '\n';
#elif defined(ZENTORY_HAVE_WIN32)
  CWinMidiOutput devices;
  const auto names = devices.DeviceNames();
  for (std::size_t i = 0; i < names.size(); ++i) out << i << ": " << names[i] << '\n';
  if (names.empty()) out << sound_texts::kListNoDevices << '\n';
#else
  out << sound_texts::kListNone << '\n';
#endif
  return 0;
}

}  // namespace zentory
