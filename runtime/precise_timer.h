// The system's part of the real clock: suspending a thread until a moment
// of steady time, as precisely as the system can wake it. One implementation
// per platform, chosen when the program is built: runtime/posix/,
// runtime/windows/ and runtime/web/.
#pragma once

#include <chrono>

namespace runtime {

class PreciseTimer {
 public:
  // Never fails: a system that cannot give a precise timer gets its coarse
  // one.
  PreciseTimer();
  ~PreciseTimer();
  PreciseTimer(const PreciseTimer&) = delete;
  PreciseTimer& operator=(const PreciseTimer&) = delete;

  // Suspends the calling thread until `end`; returns at once when it has
  // passed. Used by one thread at a time.
  void WaitUntil(std::chrono::steady_clock::time_point end);

 private:
  // (Unused where the system needs no timer object.)
  [[maybe_unused]] void* timer_ = nullptr;    // the system's timer object, where it needs one
  [[maybe_unused]] bool raisedTick_ = false;  // the system's timer tick was raised for this timer
};

}  // namespace runtime
