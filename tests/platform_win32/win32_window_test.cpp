// The Windows main window's controls as the core drives them, and the messages it hands back on
// its own thread: posted messages in order, a box asked for from another thread, closing once.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ui/win32/main_window.h"

namespace zentory {
namespace {

// Windows need a display: under wine without one (the plain test run) these tests are skipped;
// the run on the virtual display (windows_window_tests) has them.
#define ZENTORY_NEED_WINDOW(window)                                        \
  if (!(window).Created()) {                                               \
    GTEST_SKIP() << "no window can be made here (wine without a display)"; \
  }

// Handles what is queued for the window without blocking.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TEST(Win32Window, ControlsKeepWhatTheCoreSets) {
  CWin32MainWindow window;
  ZENTORY_NEED_WINDOW(window);
  int selections = 0;
  CWin32MainWindow::Handlers handlers;
  handlers.voiceSelected = [&] { ++selections; };
  window.SetHandlers(handlers);

  window.SetVoiceList({"Microsoft Zira", "Microsoft Haruka"}, 1);
  EXPECT_EQ(window.SelectedVoice(), 1);
  window.SetVoiceList({}, -1);
  EXPECT_EQ(window.SelectedVoice(), -1);
  window.SetFormatList({"8kHz 8Bit モノラル", "8kHz 8Bit ステレオ"}, 0);
  EXPECT_EQ(window.SelectedFormat(), 0);

  window.SetSliderRange(Slider::kRate, -10, 10, 5);
  window.SetSliderPosition(Slider::kRate, -7);
  EXPECT_EQ(window.SliderPosition(Slider::kRate), -7);
  window.SetSliderRange(Slider::kVolume, 0, 100, 10);
  window.SetSliderPosition(Slider::kVolume, 100);
  EXPECT_EQ(window.SliderPosition(Slider::kVolume), 100);
  window.SetSliderPosition(Slider::kVolume, 250);  // beyond the range: the end of it
  EXPECT_EQ(window.SliderPosition(Slider::kVolume), 100);

  window.SetGuideText("一行目\n二行目");
  window.SetPositionField("小節[1] 拍[1] 節[1]");
  window.SetTrackField("1");
  Pump();
  // Filling the list is the core's doing, not the user's: no handler ran.
  EXPECT_EQ(selections, 0);
}

TEST(Win32Window, PostedMessagesAndBoxesReachTheWindowsThreadInOrder) {
  CWin32MainWindow window;
  ZENTORY_NEED_WINDOW(window);
  std::vector<int> got;
  CWin32MainWindow::Handlers handlers;
  handlers.posted = [&](int message) { got.push_back(message); };
  window.SetHandlers(handlers);

  std::thread player([&] {
    window.Post(kMsgVelocityTooLow);
    window.RunOnUiThread([&] { got.push_back(1); });  // never waits for the window's thread
    window.Post(kMsgPlaybackEnded);
    // Every message of the core reaches it, the quit pause's and the recovery writer's too.
    window.Post(kMsgQuitPauseOver);
    window.Post(kMsgRecoveryDue);
  });
  player.join();
  EXPECT_TRUE(got.empty());
  Pump();
  EXPECT_EQ(got, (std::vector<int>{kMsgVelocityTooLow, 1, kMsgPlaybackEnded, kMsgQuitPauseOver,
                                   kMsgRecoveryDue}));
}

TEST(Win32Window, ClosingRunsTheShutdownOnceAndEndsTheLoop) {
  CWin32MainWindow window;
  ZENTORY_NEED_WINDOW(window);
  int closing = 0;
  CWin32MainWindow::Handlers handlers;
  handlers.closing = [&] { ++closing; };
  window.SetHandlers(handlers);
  window.Close();
  window.Close();         // a second request while the first is queued
  EXPECT_EQ(closing, 0);  // after the command that asked has returned
  EXPECT_EQ(window.Run(), 0);
  EXPECT_EQ(closing, 1);
  EXPECT_FALSE(window.Created());
}

}  // namespace
}  // namespace zentory
