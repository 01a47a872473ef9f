// Messages posted to the main window from other threads; they are handled on the user-interface
// thread in the order posted.
#pragma once

namespace zentory {

inline constexpr int kWmApp = 0x8000;
inline constexpr int kMsgPlaybackEnded = kWmApp + 10;   // 0x800A
inline constexpr int kMsgVelocityTooLow = kWmApp + 11;  // 0x800B
inline constexpr int kMsgQuitPauseOver = kWmApp + 20;   // the pause after the quit announcement
inline constexpr int kMsgRecoveryDue = kWmApp + 21;     // time to write the recovery file

class IMainWindowPost {
 public:
  virtual ~IMainWindowPost() = default;
  // Queues MESSAGE for the user-interface thread and returns at once; callable from any thread.
  virtual void Post(int message) = 0;
};

}  // namespace zentory
