// How late the Windows timer service fires one-shot timers: the player's due times at 96 ticks
// per quarter come 2 to 5 ms apart, so the lateness at those delays is what a user hears.
// usage: zentory_win32_timer_bench [RUNS]   (prints one line per delay, microseconds)
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/win32/waitable_timer.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  zentory::CWin32Clock clock;
  std::printf("%-16s %-9s %6s %10s %10s %10s\n", "timer", "delay_us", "runs", "median_us", "p90_us",
              "max_us");
  for (const bool highResolution : {true, false}) {
    zentory::CWaitableTimerService timers(highResolution);
    const char* kind = timers.HighResolution() ? "high-resolution" : "1ms-period";
    for (const std::int64_t delayUs : {1000, 2000, 5000, 20000}) {
      std::vector<std::int64_t> late;
      for (int i = 0; i < runs; ++i) {
        std::atomic<std::int64_t> firedAt{-1};
        const std::int64_t due = clock.NowUs() + delayUs;
        timers.StartOneShotUs(delayUs, [&] { firedAt = clock.NowUs(); });
        while (firedAt.load() < 0) Sleep(0);
        late.push_back(firedAt.load() - due);
      }
      std::sort(late.begin(), late.end());
      std::printf("%-16s %-9lld %6d %10lld %10lld %10lld\n", kind, static_cast<long long>(delayUs),
                  runs, static_cast<long long>(late[late.size() / 2]),
                  static_cast<long long>(late[late.size() * 9 / 10]),
                  static_cast<long long>(late.back()));
    }
  }
  return 0;
}
