// The hand-over between the editor's MIDI output device and a play: the editor's device is
// closed (its preview stopped first) before a play opens its own, and opened again only once the
// play thread is idle. The end of a play and the reports raised on the timer and play threads
// reach the user-interface thread as posted messages, so those threads never wait for a box.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/ports/clock.h"
#include "base/ports/main_window_post.h"
#include "base/ports/midi_port.h"
#include "edit/edit_session.h"
#include "song/midi_data.h"
#include "sound/player.h"

namespace zentory {

// Posted when a report of the play waits to be shown.
inline constexpr int kMsgPlayReport = kWmApp + 12;

class CPlaybackControl : public IPlayback {
 public:
  struct Ports {
    IMidiOutput* midi = nullptr;
    IClock* clock = nullptr;
    ITimerService* timers = nullptr;
    IMainWindowPost* post = nullptr;
    std::function<void()> releaseEditorDevice;  // stops the preview, then closes the device
    std::function<void()> reopenEditorDevice;
  };
  explicit CPlaybackControl(Ports ports);
  ~CPlaybackControl() override;  // stops a running play without reopening anything

  // Plays DATA (note form, the tick window to play) with the leading bars skipped. With
  // CHANNELPLAYSTATE given, note-ons of channels whose flag is 0 are silenced. The end posts
  // kMsgPlaybackEnded. False when it could not start (the editor's device is then open again).
  bool Start(const CMidi0Data& data, const std::array<int, 16>* channelPlayState) override;
  // Stops a running play and gives the editor its device back; nothing when none runs (also
  // while the end message is still queued), and no box.
  void Stop() override;
  // True from Start until the play thread is idle.
  bool Active() const override;

  // kMsgPlaybackEnded on the UI thread: waits (up to 10 s) for the play thread to be idle and
  // reopens the editor's device. False when the message is stale (another play has started
  // since), so nothing is to be announced.
  bool OnEnded();
  // kMsgPlayReport on the UI thread: shows the waiting reports.
  void ShowReports();
  CPlayer& Player() { return *player_; }

 private:
  Ports ports_;
  std::mutex mutex_;
  std::deque<std::string> reports_;
  std::unique_ptr<CPlayer> player_;
  bool editorReleased_ = false;
};

}  // namespace zentory
