// The MIDI output the user chose with --midi, the message log of --midi-log, and the system
// mixer, for both front ends.
//   --midi embedded  the embedded synth (the default of the window)
//   --midi none      no sound; the output still counts as open, so plays run (and are logged)
//   --midi N         sequencer port N of --midi list (on Windows: WinMM output device N)
//   --midi TEXT      the first port or device whose name contains TEXT (letter case ignored)
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "base/ports/clock.h"
#include "base/ports/midi_port.h"
#include "base/ports/mixer.h"

namespace zentory {

namespace sound_texts {
inline constexpr const char* kNoSynth = "内蔵シンセサイザー (FluidSynth)";
inline constexpr const char* kNoPort = "MIDI ポート";
inline constexpr const char* kNoLog = "--midi-log のファイルを開けません";
inline constexpr const char* kNoMixer = "zentory: mixer: ";
inline constexpr const char* kListEmbedded = "embedded";
inline constexpr const char* kListNone = "(no sequencer ports)";
inline constexpr const char* kListNoDevices = "(no MIDI output devices)";
}  // namespace sound_texts

struct MidiChoice {
  std::string port = "embedded";
  std::string logPath;  // empty: no log
};

// The audio mix the embedded synth renders into.
struct AudioMix {
  int rate = 0;          // 0: no audio device
  int bufferFrames = 0;  // frames of one audio buffer
  std::function<int(std::function<void(float*, int)>)> addRenderer;
  std::function<void(int)> removeRenderer;
};

class CSoundBackends {
 public:
  CSoundBackends();
  ~CSoundBackends();  // the synth leaves the mix before it goes
  CSoundBackends(const CSoundBackends&) = delete;
  CSoundBackends& operator=(const CSoundBackends&) = delete;

  // The output of CHOICE; the log's times come from CLOCK. Every problem is one line in
  // PROBLEMS. Null only when nothing at all can be had.
  IMidiOutput* StartMidi(const MidiChoice& choice, IClock* clock, const AudioMix& mix,
                         std::vector<std::string>& problems);
  // The system mixer; null (after one line on standard error) on a machine without one.
  IMixer* OpenMixer();

  // --midi list: the outputs, one a line ("embedded ..." and "N: NAME"). Returns 0.
  static int ListOutputs(std::ostream& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zentory
