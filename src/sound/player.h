// The playback engine: plays one single-track song through its own MIDI output device. A play
// thread owns the play's device from start to end; one-shot timers send the events, each armed
// for the exact due time of the next event on the tempo map. The caller gives an event hook,
// called before every event is sent (it may disable the event by setting its status to 0), and
// an end callback, called when a play reaches its end by itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "base/ports/clock.h"
#include "base/ports/midi_port.h"
#include "song/midi_data.h"
#include "sound/midi_out_device.h"
#include "sound/play_timeline.h"
#include "sound/sound_errors.h"

namespace zentory {

class CPlayer {
 public:
  // (index of the event, its absolute tick at 96 per quarter, the event or null). Called on the
  // timer thread for every event, and once on the caller's thread at start with
  // (0, start tick, null).
  using EventHook = std::function<void(int index, std::int64_t tick, CMusicEvent* event)>;
  // Called once when a play ends by itself (not when it was stopped), on the play thread, or on
  // the caller's thread when the play could not start at all.
  using EndCallback = std::function<void()>;

  struct Ports {
    IMidiOutput* midi = nullptr;      // the play opens its device on port -1
    IClock* clock = nullptr;          // required
    ITimerService* timers = nullptr;  // required
    ReportRoute route;                // reports of the timer and play threads go here
  };

  explicit CPlayer(Ports ports);
  ~CPlayer();  // stops a running play before its device and data go
  CPlayer(const CPlayer&) = delete;
  CPlayer& operator=(const CPlayer&) = delete;

  // Plays SONG (note form). Returns true when the play runs (or, without any note-on, has ended
  // at once with END); false when it could not start (END has then been called when the device
  // failed to open). Waits for a previous play thread to finish: after 5 s it asks it to stop,
  // after 10 s it gives up with GENE 01000004.
  bool StartPlay(const CMidi0Data& song, EndCallback end, EventHook hook, bool skipLeadingBars);
  // Stops a running play: no more events are sent, the device is reset and closed, and the end
  // callback is not called. Returns as soon as the play thread is idle, its device closed. Does
  // nothing when no play runs.
  void StopPlay();

  // True when no play thread runs (its device closed).
  bool IsIdle() const;
  // Waits up to TIMEOUTMS of real time for the play thread to become idle.
  bool WaitIdle(std::int64_t timeoutMs);
  // True while the timer chain of a play is alive.
  bool IsPlaying() const;

 private:
  struct Play;
  void Arm(std::int64_t delayUs, bool first, bool preSend);
  void OnTimer();
  void OnPreSendTimer();
  // Time 0 is now: arms the timer of the first note.
  void StartTimedPart(bool first);
  void DispatchMain();
  void SendEvent(CMusicEvent& event, std::size_t index);
  void EndChain();
  void NoteFired();
  void Report(const ErrorModule& module, ErrorCode code);
  void StopChain();
  void FinishThread();
  bool WaitForIdleOrGiveUp();

  Ports ports_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool idle_ = true;
  bool chainAlive_ = false;
  std::atomic<bool> stop_{false};
  TimerId timerId_ = 0;      // the armed timer of the chain
  std::uint64_t fired_ = 0;  // timer callbacks begun, so a late store keeps the newest id
  std::unique_ptr<Play> play_;
  std::thread thread_;
};

}  // namespace zentory
