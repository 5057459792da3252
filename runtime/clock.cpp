#include "runtime/clock.h"

#include <algorithm>
#include <thread>

namespace runtime {

void SystemClock::SleepMilliseconds(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  const auto length = std::chrono::milliseconds(milliseconds);
  const auto catchUpLimit = std::max<std::chrono::steady_clock::duration>(std::chrono::milliseconds(2), length);
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
