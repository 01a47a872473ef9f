#include "sound/player.h"

#include <chrono>

#include "base/general.h"

namespace zentory {

namespace {
// A port that takes one message at a time gets this pause after each system exclusive message
// before the first note: a reset or a part setting takes the instrument that long.
constexpr std::int64_t kPreSendSpacingUs = 50000;
constexpr std::int64_t kIdlePollMs = 100;
constexpr int kIdlePollsBeforeStop = 50;  // 5 s
constexpr int kIdlePollsMax = 100;        // 10 s
}  // namespace

struct CPlayer::Play {
  PlayCopy copy;
  Timeline timeline;
  std::unique_ptr<CMidiOutDevice> device;
  EventHook hook;
  EndCallback end;
  std::size_t index = 0;      // the next event of the timer chain
  std::size_t preSent = 0;    // setup events sent before the first note
  std::int64_t originUs = 0;  // time 0 on the clock's microsecond line
};

CPlayer::CPlayer(Ports ports) : ports_(std::move(ports)) {}

CPlayer::~CPlayer() {
  StopChain();
  WaitIdle(-1);
  if (thread_.joinable()) thread_.join();
}

bool CPlayer::IsIdle() const {
  std::lock_guard lock(mutex_);
  return idle_;
}

bool CPlayer::IsPlaying() const {
  std::lock_guard lock(mutex_);
  return chainAlive_;
}

bool CPlayer::WaitIdle(std::int64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  if (timeoutMs < 0) {
    changed_.wait(lock, [&] { return idle_; });
    return true;
  }
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return idle_; });
}

void CPlayer::Report(const ErrorModule& module, ErrorCode code) {
  RouteReport(ports_.route, module.Format(code));
}

bool CPlayer::WaitForIdleOrGiveUp() {
  for (int poll = 0;; ++poll) {
    if (WaitIdle(2)) return true;
    if (poll == kIdlePollsBeforeStop) StopChain();
    if (poll >= kIdlePollsMax) {
      // Two play threads would play over each other; this play is given up instead.
      GeneralError(gene::kPerformance);
      return false;
    }
    ports_.clock->SleepMs(kIdlePollMs);
  }
}

bool CPlayer::StartPlay(const CMidi0Data& song, EndCallback end, EventHook hook,
                        bool skipLeadingBars) {
  if (!ports_.clock || !ports_.timers) return false;
  if (!WaitForIdleOrGiveUp()) return false;
  if (thread_.joinable()) thread_.join();
  play_.reset();

  auto play = std::make_unique<Play>();
  play->copy = MakePlayCopy(song, skipLeadingBars);
  if (!play->copy.data) return false;
  play->hook = std::move(hook);
  play->end = std::move(end);
  if (play->hook) play->hook(0, play->copy.startTick, nullptr);

  play->device = std::make_unique<CMidiOutDevice>(ports_.midi, -1, ports_.route);
  if (!play->device->IsOpen()) {
    // The device has said why; the caller learns of the end so it can take its own device back.
    if (play->end) play->end();
    return false;
  }
  play->device->SendGmSystemOn();
  play->timeline = ComputeTimeline(play->copy.data->Track(), kPlayResolution);
  if (play->timeline.firstNoteOn < 0) {
    play->device.reset();
    if (play->end) play->end();
    return true;
  }

  {
    std::lock_guard lock(mutex_);
    idle_ = false;
    chainAlive_ = true;
    timerId_ = 0;
  }
  stop_.store(false);
  play_ = std::move(play);
  thread_ = std::thread([this] { FinishThread(); });

  if (!play_->device->TakesBurst()) {
    // The GM System On just sent is the first system exclusive message to wait for; time 0
    // follows the last pause.
    Arm(kPreSendSpacingUs, true, true);
    return true;
  }
  const auto firstNote = static_cast<std::size_t>(play_->timeline.firstNoteOn);
  for (std::size_t i = 0; i < firstNote; ++i) SendEvent(play_->copy.data->Track().Events()[i], i);
  play_->preSent = firstNote;
  StartTimedPart(true);
  return true;
}

void CPlayer::StartTimedPart(bool first) {
  const auto firstNote = static_cast<std::size_t>(play_->timeline.firstNoteOn);
  play_->index = firstNote;
  play_->originUs = ports_.clock->NowUs();
  Arm(play_->timeline.dueUs[firstNote], first, false);
}

void CPlayer::Arm(std::int64_t delayUs, bool first, bool preSend) {
  std::uint64_t fired;
  {
    std::lock_guard lock(mutex_);
    fired = fired_;
  }
  TimerId id = ports_.timers->StartOneShotUs(
      delayUs, preSend ? std::function<void()>([this] { OnPreSendTimer(); })
                       : std::function<void()>([this] { OnTimer(); }));
  if (id == 0) {
    if (first) Report(MdplModule(), mdpl::kNoTimer);
    // Without a timer nothing more would ever be sent: the play ends here.
    EndChain();
    return;
  }
  std::lock_guard lock(mutex_);
  // The timer may already have fired and armed the next one; its id is then the one to keep.
  if (fired_ == fired) timerId_ = id;
}

void CPlayer::NoteFired() {
  std::lock_guard lock(mutex_);
  ++fired_;
}

void CPlayer::OnPreSendTimer() {
  NoteFired();
  if (stop_.load()) {
    EndChain();
    return;
  }
  const auto firstNote = static_cast<std::size_t>(play_->timeline.firstNoteOn);
  auto& events = play_->copy.data->Track().Events();
  while (play_->preSent < firstNote) {
    CMusicEvent& e = events[play_->preSent];
    SendEvent(e, play_->preSent);
    ++play_->preSent;
    if (e.status == ev::kSysEx || e.status == ev::kSysExContinuation) {
      Arm(kPreSendSpacingUs, false, true);
      return;
    }
  }
  StartTimedPart(false);
}

void CPlayer::OnTimer() {
  NoteFired();
  if (stop_.load()) {
    EndChain();
    return;
  }
  DispatchMain();
}

void CPlayer::DispatchMain() {
  auto& events = play_->copy.data->Track().Events();
  const Timeline& t = play_->timeline;
  for (;;) {
    const std::size_t i = play_->index;
    CMusicEvent& e = events[i];
    if (play_->hook) play_->hook(static_cast<int>(i), play_->copy.startTick + t.tick[i], &e);
    play_->device->SetDueTime(play_->originUs + t.dueUs[i]);
    SendEvent(e, i);
    ++play_->index;
    if (play_->index >= events.size()) {
      EndChain();
      return;
    }
    if (stop_.load()) {
      EndChain();
      return;
    }
    const std::int64_t wait = play_->originUs + t.dueUs[play_->index] - ports_.clock->NowUs();
    if (wait > 0) {
      Arm(wait, false, false);
      return;
    }
  }
}

void CPlayer::SendEvent(CMusicEvent& e, std::size_t index) {
  CMidiOutDevice& d = *play_->device;
  const Timeline& t = play_->timeline;
  if (t.negativeDelta[index]) Report(MdplModule(), mdpl::kBadData);
  switch (e.status) {
    case ev::kNoteOff:
      d.SendNoteOff(e.key, e.channel);
      break;
    case ev::kNoteOn:
      d.SendNoteOn(e.key, static_cast<int>(e.velocity), e.channel);
      break;
    case ev::kControlChange:
      d.SendShort(e.value, static_cast<int>(e.type), 0xB0 + (e.channel & 0x0F));
      break;
    case ev::kProgramChange:
      d.SendProgramChange(e.value, e.channel);
      break;
    case ev::kPitchBend:
      d.SendShort(e.value, e.key, 0xE0 + (e.channel & 0x0F));
      break;
    case ev::kSysEx:
    case ev::kSysExContinuation:
      d.SendSysEx(e.DataLength(), e.Data().data());
      break;
    case ev::kMeta:
      if (e.type == ev::kMetaTempo) {
        if (t.tempoFix[index] == TempoFix::kWrong) Report(MdplModule(), mdpl::kBadTempo);
        if (t.tempoFix[index] == TempoFix::kTooSlow) Report(MdplModule(), mdpl::kTempoTooSlow);
      }
      break;
    default:
      break;  // other meta events, pressure, and events the hook disabled
  }
}

void CPlayer::EndChain() {
  {
    std::lock_guard lock(mutex_);
    chainAlive_ = false;
    timerId_ = 0;
  }
  changed_.notify_all();
}

void CPlayer::FinishThread() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !chainAlive_; });
  }
  const bool ranToEnd = !stop_.load();
  if (ranToEnd && play_->end) play_->end();
  // The chain has ended, so no timer uses the device any more. A stop silences at once; the
  // end of the music lets its last notes ring out.
  play_->device->CloseDevice(ranToEnd);
  play_->device.reset();
  {
    std::lock_guard lock(mutex_);
    idle_ = true;
  }
  changed_.notify_all();
}

void CPlayer::StopChain() {
  stop_.store(true);
  for (;;) {
    TimerId id;
    {
      std::lock_guard lock(mutex_);
      if (!chainAlive_) return;
      id = timerId_;
    }
    if (id != 0 && ports_.timers->Cancel(id)) {
      // That callback will never run, and only it could have armed another: the chain is over.
      EndChain();
      return;
    }
    // A callback is running or about to store its next timer; it sees the stop flag.
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(1), [&] { return !chainAlive_; });
  }
}

void CPlayer::StopPlay() {
  if (IsIdle()) return;
  StopChain();
  // The play thread has reset and closed the device before it went idle, so whatever opens
  // next finds the port quiet; the user hears the stop's answer at once.
  WaitIdle(-1);
  if (thread_.joinable()) thread_.join();
}

}  // namespace zentory
