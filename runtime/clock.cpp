#include "runtime/clock.h"

#include <thread>

namespace runtime {

void SystemClock::SleepMilliseconds(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  constexpr auto catchUpLimit = std::chrono::milliseconds(2);
  const auto now = std::chrono::steady_clock::now();
  const auto start = now - intendedEnd_ < catchUpLimit ? intendedEnd_ : now;
  intendedEnd_ = start + std::chrono::milliseconds(milliseconds);
  timer_.WaitUntil(intendedEnd_);
}

void VirtualClock::SleepMilliseconds(std::uint32_t milliseconds) {
  elapsed_ += milliseconds;
  ++pauses_;
}

}  // namespace runtime
