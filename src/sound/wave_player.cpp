#include "sound/wave_player.h"

#include <fstream>

#include "base/error_report.h"
#include "base/general.h"
#include "sound/sound_errors.h"
#include "sound/wave_file.h"

namespace zentory {

CWavePlayer::CWavePlayer(std::vector<IAudioOutput*> outputs) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    slots_[i] = std::make_unique<Slot>();
    if (i < outputs.size()) slots_[i]->output = outputs[i];
  }
}

CWavePlayer::~CWavePlayer() {
  for (int i = 0; i < kSlots; ++i) StopSound(i);
}

CWavePlayer::Slot* CWavePlayer::SlotAt(int slot) {
  if (slot < 0 || slot >= kSlots) return nullptr;
  return slots_[static_cast<std::size_t>(slot)].get();
}

void CWavePlayer::Close(Slot& s) {
  // Never from inside the completion callback: the stream's own lock is held there.
  s.stopped.store(true);
  if (s.open.load() && s.output) {
    s.output->Reset();
    s.output->Close();
  }
  s.open.store(false);
  s.closeRequested.store(false);
}

void CWavePlayer::CloseIfFinished(Slot& s) {
  if (s.closeRequested.load()) Close(s);
}

bool CWavePlayer::IsPlaying(int slot) {
  Slot* s = SlotAt(slot);
  if (!s) return false;
  CloseIfFinished(*s);
  return s->open.load();
}

void CWavePlayer::OnDone(Slot& s) {
  const int done = s.completed.fetch_add(1) + 1;
  const auto n = static_cast<int>(s.buffers.size());
  if (s.stopped.load() || n == 0) return;
  if (s.loop.load()) {
    // Buffers come back in the order queued, so the one done is the next to queue again.
    s.output->Queue(s.buffers[static_cast<std::size_t>((done - 1) % n)]);
  } else if (done >= n) {
    s.closeRequested.store(true);
  }
}

int CWavePlayer::StartSound(int slot, const std::string& path, int loop) {
  Slot* s = SlotAt(slot);
  // A slot without a stream is silent audio; the missing device was told at start-up.
  if (!s || !s->output) return 0;
  CloseIfFinished(*s);
  s->loop.store(loop != 0);
  if (s->open.load()) return 1;

  std::ifstream file(PathFromUtf8(path), std::ios::binary);
  if (path.empty() || !file) {
    if (reportedPaths_.insert(path).second) {
      ShowMessageBox(path.empty() ? wave_texts::kFile : wave_texts::kCannotOpen);
    }
    return 0;
  }
  WaveReadError error;
  WaveData wave = ReadWave(file, kBuffers * kBufferBytes, &error);
  if (error != WaveReadError::kNone) {
    if (reportedPaths_.insert(path).second) {
      ShowMessageBox(error == WaveReadError::kNotWave ? wave_texts::kFile : wave_texts::kDevice);
    }
    return 0;
  }
  if (s->rate != 0) {
    const char* refused = wave.format.rate != s->rate           ? wave_texts::kRate
                          : wave.format.channels != s->channels ? wave_texts::kChannels
                          : wave.format.bits != s->bits         ? wave_texts::kFile
                                                                : nullptr;
    if (refused) {
      ShowMessageBox(refused);
      return 0;
    }
  } else {
    s->rate = wave.format.rate;
    s->channels = wave.format.channels;
    s->bits = wave.format.bits;
  }

  s->stopped.store(false);
  if (!s->output->Open(wave.format, [this, s](std::uint64_t) { OnDone(*s); })) {
    s->stopped.store(true);
    ShowMessageBox(wave_texts::kDevice);
    return 0;
  }
  s->open.store(true);
  s->buffers.clear();
  for (std::size_t at = 0; at < wave.samples.size(); at += kBufferBytes) {
    const std::size_t n = std::min(kBufferBytes, wave.samples.size() - at);
    s->buffers.emplace_back(wave.samples.begin() + static_cast<std::ptrdiff_t>(at),
                            wave.samples.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  if (wave.shortRead) ShowMessageBox(wave_texts::kDevice);  // plays what was there
  s->completed.store(0);
  if (s->buffers.empty()) {
    Close(*s);
    return 1;
  }
  for (const auto& buffer : s->buffers) {
    if (s->output->Queue(buffer) == 0) {
      ShowMessageBox(wave_texts::kDevice);
      break;
    }
  }
  return 1;
}

void CWavePlayer::StopSound(int slot) {
  Slot* s = SlotAt(slot);
  if (!s) return;
  Close(*s);
}

}  // namespace zentory
