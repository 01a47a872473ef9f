// Test doubles for the platform interfaces. They record what the core asks of them so that tests
// can check it, and run time virtually.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/ports/audio_output.h"
#include "base/ports/clock.h"
#include "base/ports/dialogs.h"
#include "base/ports/key_source.h"
#include "base/ports/main_window_post.h"
#include "base/ports/midi_port.h"
#include "base/ports/mixer.h"
#include "base/ports/speech.h"
#include "base/ports/window_view.h"

namespace zentory {

// Virtual time. SleepMs and Advance move the clock and run the timers that fall due, in order of
// their due time, on the calling thread.
class FakeClock : public IClock, public ITimerService {
 public:
  std::int64_t NowMs() override;
  void SleepMs(std::int64_t ms) override;
  TimerId StartOneShot(std::int64_t delayMs, std::function<void()> callback) override;
  bool Cancel(TimerId id) override;

  void Advance(std::int64_t ms);
  std::size_t PendingTimers() const;
  std::int64_t TotalSlept() const { return slept_; }

 private:
  struct Timer {
    std::int64_t due;
    std::function<void()> callback;
  };
  mutable std::recursive_mutex mutex_;
  std::int64_t now_ = 0;
  std::int64_t slept_ = 0;
  TimerId nextId_ = 1;
  std::map<TimerId, Timer> timers_;
};

class FakeMessageBox : public IMessageBox {
 public:
  int Show(std::string_view text) override;
  std::vector<std::string> Boxes() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> boxes_;
};

// Answers dialogs from a queue; an empty queue answers as a cancel.
class FakeDialogs : public IDialogs {
 public:
  std::optional<std::string> OpenFile(std::string_view, std::string_view) override;
  std::optional<std::string> SaveFile(std::string_view, std::string_view) override;
  std::string TextInput() override;

  // NOTHING = cancel. One queue for every dialog, in the order they open.
  std::deque<std::optional<std::string>> answers;
  int opened = 0;
  std::vector<std::string> extensions;  // the default extension each file dialog was given

 private:
  std::optional<std::string> Next();
};

class FakeWindowView : public IWindowView {
 public:
  void SetGuideText(std::string_view text) override {
    guide = text;
    ++guideWrites;
  }
  void SetPositionField(std::string_view text) override { positionField = text; }
  void SetTrackField(std::string_view text) override { trackField = text; }
  void SetVoiceList(const std::vector<std::string>& rows, int selected) override;
  int SelectedVoice() const override { return voiceSelected; }
  void SetFormatList(const std::vector<std::string>& rows, int selected) override;
  int SelectedFormat() const override { return formatSelected; }
  void SetSliderRange(Slider slider, int min, int max, int page) override;
  void SetSliderPosition(Slider slider, int position) override;
  int SliderPosition(Slider slider) const override;
  void Close() override { ++closed; }

  struct SliderState {
    int min = 0, max = 0, page = 0, position = 0;
  };
  std::string guide;
  int guideWrites = 0;
  std::string positionField, trackField;
  std::vector<std::string> voices, formats;
  int voiceSelected = -1, formatSelected = -1;
  SliderState rate, volume;
  int closed = 0;
};

class FakeSpeech : public ISpeechSynth {
 public:
  std::vector<std::string> Voices() override { return voiceNames; }
  int CurrentVoice() override { return current; }
  bool SelectVoice(int index) override;
  void Speak(std::string_view text) override;
  bool SetRate(int value) override;
  std::optional<int> Rate() override { return rate; }
  bool SetVolume(int value) override;
  std::optional<int> Volume() override { return volume; }
  std::optional<AudioFormat> OutputFormat() override { return format; }
  bool SetOutputFormat(const AudioFormat& f) override;

  std::vector<std::string> voiceNames{"Fake Japanese"};
  int current = 0;
  std::vector<std::string> spoken;                // every text, the empty (silencing) one included
  std::function<void(std::string_view)> onSpeak;  // called with every text, when set
  std::optional<int> rate = 0;
  std::optional<int> volume = 100;
  std::optional<AudioFormat> format = AudioFormat{22050, 16, 1};
  bool failSetters = false;
};

// The hook: tests deliver keys, which reach the sink only while installed.
class FakeKeySource : public IKeySource {
 public:
  bool Install(IKeySink* sink) override;
  void Remove() override { sink_ = nullptr; }
  bool Installed() const override { return sink_ != nullptr; }

  // Returns false when no sink took the key (hook removed).
  bool KeyDown(int key, int ctrl = 0, int shift = 0, int alt = 0);
  bool KeyUp(int key, int ctrl = 0, int shift = 0, int alt = 0);
  int installs = 0;
  bool failInstall = false;

 private:
  IKeySink* sink_ = nullptr;
};

class FakeMainWindowPost : public IMainWindowPost {
 public:
  void Post(int message) override;
  // Hands every queued message to HANDLER, in order, including ones posted meanwhile.
  void Drain(const std::function<void(int)>& handler);
  std::size_t Pending() const;

 private:
  mutable std::mutex mutex_;
  std::deque<int> queue_;
};

// Records every MIDI message, with the fake clock's time when one is given.
class FakeMidiOutput : public IMidiOutput {
 public:
  struct Message {
    std::int64_t timeMs;
    int port;
    std::vector<std::uint8_t> bytes;  // short messages as their 1-3 bytes
    std::int64_t dueUs = -1;          // the due time the sender gave (-1: at once)
  };
  explicit FakeMidiOutput(IClock* clock = nullptr) : clock_(clock) {}
  int DeviceCount() override { return static_cast<int>(names.size()); }
  std::vector<std::string> DeviceNames() override { return names; }
  std::unique_ptr<IMidiPort> Open(int id) override;

  std::vector<Message> Messages() const;
  void Clear();
  int OpenPorts() const;

  std::vector<std::string> names{"Fake MIDI"};
  bool failOpen = false;
  bool burst = false;  // ports answer TakesBurst() with this (a software synth)

 private:
  friend class FakeMidiPort;
  void Record(int port, std::vector<std::uint8_t> bytes, std::int64_t dueUs);
  IClock* clock_;
  mutable std::mutex mutex_;
  std::vector<Message> messages_;
  int openPorts_ = 0;
  int nextPort_ = 0;
};

class FakeMixer : public IMixer {
 public:
  std::optional<int> Volume(MixerLine line) override;
  bool SetVolume(MixerLine line, int volume) override;
  std::optional<bool> Muted(MixerLine line) override;
  bool SetMuted(MixerLine line, bool muted) override;

  std::map<MixerLine, int> volumes{
      {MixerLine::kMaster, 65535}, {MixerLine::kWave, 65535}, {MixerLine::kSynth, 65535}};
  std::map<MixerLine, bool> mutes;
};

// Plays buffers instantly when Complete() is called; Reset hands back everything queued.
class FakeAudioOutput : public IAudioOutput {
 public:
  bool Open(const AudioFormat& format, Done onDone) override;
  AudioFormat Format() const override { return format_; }
  std::uint64_t Queue(std::vector<std::uint8_t> samples) override;
  void Reset() override;
  void Close() override;

  // Completes the oldest queued buffer; false when none is queued.
  bool CompleteOne();
  std::size_t Queued() const;
  std::size_t bytesPlayed = 0;
  bool isOpen = false;

 private:
  mutable std::mutex mutex_;
  AudioFormat format_;
  Done onDone_;
  std::deque<std::pair<std::uint64_t, std::vector<std::uint8_t>>> queue_;
  std::uint64_t nextId_ = 1;
};

}  // namespace zentory
