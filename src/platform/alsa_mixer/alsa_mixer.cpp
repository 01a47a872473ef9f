#include "platform/alsa_mixer/alsa_mixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>

namespace zentory {

struct CAlsaMixer::Handle {
  snd_mixer_t* mixer = nullptr;
  ~Handle() {
    if (mixer) snd_mixer_close(mixer);
  }
};

namespace {

const char* ControlName(MixerLine line) {
  switch (line) {
    case MixerLine::kMaster:
      return "Master";
    case MixerLine::kWave:
      return "PCM";
    case MixerLine::kSynth:
      return "Synth";
  }
  return "Master";
}

}  // namespace

CAlsaMixer::CAlsaMixer() = default;

CAlsaMixer::~CAlsaMixer() = default;

bool CAlsaMixer::Open(const std::string& card) {
  auto h = std::make_unique<Handle>();
  int rc = snd_mixer_open(&h->mixer, 0);
  if (rc >= 0) rc = snd_mixer_attach(h->mixer, card.c_str());
  if (rc >= 0) rc = snd_mixer_selem_register(h->mixer, nullptr, nullptr);
  if (rc >= 0) rc = snd_mixer_load(h->mixer);
  if (rc < 0) {
    error_ = snd_strerror(rc);
    return false;
  }
  h_ = std::move(h);
  return true;
}

static snd_mixer_elem_t* Find(snd_mixer_t* mixer, MixerLine line) {
  if (!mixer) return nullptr;
  snd_mixer_selem_id_t* id = nullptr;
  snd_mixer_selem_id_alloca(&id);
  snd_mixer_selem_id_set_index(id, 0);
  snd_mixer_selem_id_set_name(id, ControlName(line));
  return snd_mixer_find_selem(mixer, id);
}

std::optional<int> CAlsaMixer::Volume(MixerLine line) {
  snd_mixer_elem_t* e = Find(h_ ? h_->mixer : nullptr, line);
  if (!e || !snd_mixer_selem_has_playback_volume(e)) return std::nullopt;
  long min = 0, max = 0, value = 0;
  if (snd_mixer_selem_get_playback_volume_range(e, &min, &max) < 0 || max <= min) {
    return std::nullopt;
  }
  if (snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0) {
    return std::nullopt;
  }
  return static_cast<int>(
      std::lround(65535.0 * static_cast<double>(value - min) / static_cast<double>(max - min)));
}

bool CAlsaMixer::SetVolume(MixerLine line, int volume) {
  snd_mixer_elem_t* e = Find(h_ ? h_->mixer : nullptr, line);
  if (!e || !snd_mixer_selem_has_playback_volume(e)) return false;
  long min = 0, max = 0;
  if (snd_mixer_selem_get_playback_volume_range(e, &min, &max) < 0 || max <= min) return false;
  const long value =
      min + std::lround(static_cast<double>(max - min) * std::clamp(volume, 0, 65535) / 65535.0);
  return snd_mixer_selem_set_playback_volume_all(e, value) >= 0;
}

std::optional<bool> CAlsaMixer::Muted(MixerLine line) {
  snd_mixer_elem_t* e = Find(h_ ? h_->mixer : nullptr, line);
  if (!e || !snd_mixer_selem_has_playback_switch(e)) return std::nullopt;
  int on = 1;
  if (snd_mixer_selem_get_playback_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) {
    return std::nullopt;
  }
  return on == 0;  // the switch is on when the line sounds
}

bool CAlsaMixer::SetMuted(MixerLine line, bool muted) {
  snd_mixer_elem_t* e = Find(h_ ? h_->mixer : nullptr, line);
  if (!e || !snd_mixer_selem_has_playback_switch(e)) return false;
  return snd_mixer_selem_set_playback_switch_all(e, muted ? 0 : 1) >= 0;
}

}  // namespace zentory
