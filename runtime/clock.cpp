#include "runtime/clock.h"

#include <algorithm>
#include <thread>

namespace runtime {

void SystemClock::SleepMilliseconds(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  // Catching up absorbs a late wake-up and the work of one step, never a
  // gap that the program meant (a long pause after a computation).
  const auto length = std::chrono::milliseconds(milliseconds);
  const std::chrono::steady_clock::duration catchUpLimit =
      std::clamp(length, std::chrono::milliseconds(2), std::chrono::milliseconds(5));
  const auto now = std::chrono::steady_clock::now();
  const auto start = now - intendedEnd_ < catchUpLimit ? intendedEnd_ : now;
  intendedEnd_ = start + length;
  timer_.WaitUntil(intendedEnd_);
}

void VirtualClock::SleepMilliseconds(std::uint32_t milliseconds) {
  elapsed_ += milliseconds;
  ++pauses_;
}

}  // namespace runtime
