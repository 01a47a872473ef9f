// Messages posted to the main window from other threads; they are handled on the user-interface
// thread in the order posted.
#pragma once

namespace zentory {

inline constexpr int kWmApp = 0x8000;
inline constexpr int kMsgPlaybackEnded = kWmApp + 10;   // 0x800A
inline constexpr int kMsgVelocityTooLow = kWmApp + 11;  // 0x800B

class IMainWindowPost {
 public:
  virtual ~IMainWindowPost() = default;
  // Queues MESSAGE for the user-interface thread and returns at once; callable from any thread.
  virtual void Post(int message) = 0;
};

}  // namespace zentory
