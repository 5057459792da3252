#include "runtime/clock.h"

#include <sched.h>

#include <cerrno>
#include <chrono>
#include <ctime>

namespace runtime {

void SystemClock::SleepMilliseconds(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  using std::chrono::nanoseconds;
  constexpr auto catchUpLimit = std::chrono::milliseconds(2);
  const auto now = std::chrono::steady_clock::now();  // CLOCK_MONOTONIC
  const auto start = now - intendedEnd_ < catchUpLimit ? intendedEnd_ : now;
  intendedEnd_ = start + std::chrono::milliseconds(milliseconds);
  const auto sinceEpoch =
      std::chrono::duration_cast<nanoseconds>(intendedEnd_.time_since_epoch()).count();
  const timespec end{static_cast<time_t>(sinceEpoch / 1000000000),
                     static_cast<long>(sinceEpoch % 1000000000)};
  // A signal may interrupt the sleep; the pause still lasts to its end.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &end, nullptr) == EINTR) {
  }
}

void VirtualClock::SleepMilliseconds(std::uint32_t milliseconds) {
  elapsed_ += milliseconds;
  ++pauses_;
}

}  // namespace runtime
