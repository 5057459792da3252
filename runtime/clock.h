// Pauses. The runs pause between steps and before they close a window;
// tests replace the system clock by a virtual one so that a 10-second pause
// costs nothing.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "runtime/precise_timer.h"

namespace runtime {

class Clock {
 public:
  virtual ~Clock() = default;
  // Suspends the calling thread for `milliseconds`; 0 only gives up the
  // rest of the time slice.
  virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;
};

// Real time, for one thread. 0 only yields. A pause that starts within its
// own length (2 to 5 ms) of the end the previous one was meant to have is
// counted from that end, so the system's lateness in waking up (a tenth of a
// millisecond or more, most of one under Wine) and the work between two
// pauses do not add up over thousands of short pauses: 5000 pauses of 6 ms
// take 30 s, not 31. A pause after a longer gap is made in full.
class SystemClock final : public Clock {
 public:
  void SleepMilliseconds(std::uint32_t milliseconds) override;

 private:
  std::chrono::steady_clock::time_point intendedEnd_{};  // of the latest pause
  PreciseTimer timer_;
};

// Returns at once and adds the pause to its total; every pause is recorded
// so tests can check the pacing of a run.
class VirtualClock final : public Clock {
 public:
  void SleepMilliseconds(std::uint32_t milliseconds) override;
  // Sum of all pauses so far, in milliseconds.
  std::uint64_t ElapsedMilliseconds() const { return elapsed_.load(); }
  // Number of pauses so far (0 ms pauses included).
  std::uint64_t PauseCount() const { return pauses_.load(); }

 private:
  std::atomic<std::uint64_t> elapsed_{0};
  std::atomic<std::uint64_t> pauses_{0};
};

}  // namespace runtime
