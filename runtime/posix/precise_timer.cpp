#include "runtime/precise_timer.h"

#include <cerrno>
#include <ctime>

namespace runtime {

PreciseTimer::PreciseTimer() = default;
PreciseTimer::~PreciseTimer() = default;

void PreciseTimer::WaitUntil(std::chrono::steady_clock::time_point end) {
  // The steady clock is CLOCK_MONOTONIC, which the kernel wakes to within
  // microseconds.
  const auto sinceEpoch =
      std::chrono::duration_cast<std::chrono::nanoseconds>(end.time_since_epoch()).count();
  const timespec until{static_cast<time_t>(sinceEpoch / 1000000000),
                       static_cast<long>(sinceEpoch % 1000000000)};
  // A signal may interrupt the sleep; the pause still lasts to its end.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace runtime
