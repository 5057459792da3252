#include "runtime/clock.h"

#include <sched.h>

#include <cerrno>
#include <ctime>

namespace runtime {

void SystemClock::SleepMilliseconds(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal may cut the sleep short; the pause still lasts its full length.
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

void VirtualClock::SleepMilliseconds(std::uint32_t milliseconds) {
  elapsed_ += milliseconds;
  ++pauses_;
}

}  // namespace runtime
