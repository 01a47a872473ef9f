#include "app/playback_control.h"

#include "base/error_report.h"

namespace zentory {

namespace {
constexpr std::int64_t kEndWaitMs = 10000;
}  // namespace

CPlaybackControl::CPlaybackControl(Ports ports) : ports_(std::move(ports)) {
  CPlayer::Ports p;
  p.midi = ports_.midi;
  p.clock = ports_.clock;
  p.timers = ports_.timers;
  p.route = [this](const std::string& text) {
    {
      std::lock_guard lock(mutex_);
      reports_.push_back(text);
    }
    if (ports_.post) ports_.post->Post(kMsgPlayReport);
  };
  player_ = std::make_unique<CPlayer>(std::move(p));
}

CPlaybackControl::~CPlaybackControl() {
  player_.reset();  // stops the chain, closes the play's device
}

bool CPlaybackControl::Start(const CMidi0Data& data, const std::array<int, 16>* channelPlayState) {
  if (!editorReleased_ && ports_.releaseEditorDevice) ports_.releaseEditorDevice();
  editorReleased_ = true;
  CPlayer::EventHook hook;
  if (channelPlayState) {
    // The flags as they stand at the start; the timer thread never reads the window's own.
    hook = [states = *channelPlayState](int, std::int64_t, CMusicEvent* e) {
      if (e && e->status == ev::kNoteOn && states[static_cast<std::size_t>(e->channel & 15)] == 0) {
        e->status = ev::kDeleted;
      }
    };
  }
  IMainWindowPost* post = ports_.post;
  auto end = [post] {
    if (post) post->Post(kMsgPlaybackEnded);
  };
  const bool started = player_->StartPlay(data, end, hook, true);
  if (!started && player_->IsIdle()) {
    // The end message, when one was posted, finds the device open and changes nothing.
    if (ports_.reopenEditorDevice) ports_.reopenEditorDevice();
    editorReleased_ = false;
  }
  return started;
}

void CPlaybackControl::Stop() {
  if (player_->IsIdle()) return;
  player_->StopPlay();
  if (editorReleased_ && ports_.reopenEditorDevice) ports_.reopenEditorDevice();
  editorReleased_ = false;
}

bool CPlaybackControl::Active() const { return !player_->IsIdle(); }

bool CPlaybackControl::OnEnded() {
  if (player_->IsPlaying()) return false;  // a newer play runs; this end is not its end
  // The end callback runs on the play thread before it closes its device.
  player_->WaitIdle(kEndWaitMs);
  if (editorReleased_ && player_->IsIdle() && ports_.reopenEditorDevice) {
    ports_.reopenEditorDevice();
    editorReleased_ = false;
  }
  return true;
}

void CPlaybackControl::ShowReports() {
  for (;;) {
    std::string text;
    {
      std::lock_guard lock(mutex_);
      if (reports_.empty()) return;
      text = std::move(reports_.front());
      reports_.pop_front();
    }
    ShowMessageBox(text);
  }
}

}  // namespace zentory
