// The main window with every platform faked, driven by key names as a user would type them
// ("L 8 C Return", "Shift+; Ctrl+Z"), for the end-to-end suites and the benchmarks.
#pragma once

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_dialog.h"
#include "app/script_front_end.h"
#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory::test_support {

struct DialogHarness {
  FakeMessageBox box;
  ScopedMessageBoxTarget boxScope{&box};
  FakeWindowView view;
  FakeKeySource keys;
  FakeDialogs dialogs;
  FakeSpeech speech;
  FakeClock clock;
  FakeMainWindowPost post;
  FakeMidiOutput midi{&clock};
  TempDir temp;
  bool withVoice = true;
  std::unique_ptr<CMainDialog> dialog;

  Platform MakePlatform() {
    Platform p;
    p.view = &view;
    p.keys = &keys;
    p.dialogs = &dialogs;
    p.speech = withVoice ? &speech : nullptr;
    p.clock = &clock;
    p.timers = &clock;
    p.post = &post;
    p.midi = &midi;
    p.appDir = temp.Str();
    return p;
  }
  void Start() {
    dialog = std::make_unique<CMainDialog>(MakePlatform());
    dialog->Start();
  }
  ~DialogHarness() { dialog.reset(); }

  // Presses each space-separated key name in turn; messages posted to the window are handled
  // after each key, as the window's message loop would.
  void Keys(std::string_view names) {
    std::istringstream in{std::string(names)};
    std::string name;
    while (in >> name) {
      auto key = ParseKeyName(name);
      if (!key) throw std::invalid_argument("unknown key name " + name);
      keys.KeyDown(key->key, key->ctrl, key->shift, key->alt);
      post.Drain([this](int message) { dialog->OnPosted(message); });
    }
  }
  std::string Last() const { return speech.spoken.empty() ? "<none>" : speech.spoken.back(); }
  CEditSession& Session() { return dialog->Session(); }
  const CMidiTrack& Track(int index) {
    return *static_cast<const CMidi1Data&>(*dialog->Song()).Track(index);
  }
  // The note events of track INDEX as (tick, key, length, velocity).
  std::vector<std::vector<std::int64_t>> Notes(int index) {
    std::vector<std::vector<std::int64_t>> notes;
    std::int64_t t = 0;
    for (const CMusicEvent& e : Track(index).Events()) {
      t += e.delta;
      if (e.status == ev::kNote) notes.push_back({t, e.key, e.length, e.velocity});
    }
    return notes;
  }
  // The short messages sent since the last Clear, as bytes.
  std::vector<std::vector<std::uint8_t>> Sent() const {
    std::vector<std::vector<std::uint8_t>> sent;
    for (const auto& m : midi.Messages()) sent.push_back(m.bytes);
    return sent;
  }
};

}  // namespace zentory::test_support
