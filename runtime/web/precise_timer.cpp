#include "runtime/precise_timer.h"

#include <thread>

namespace runtime {

PreciseTimer::PreciseTimer() = default;
PreciseTimer::~PreciseTimer() = default;

void PreciseTimer::WaitUntil(std::chrono::steady_clock::time_point end) {
  // The program's threads are web workers, which may block: the sleep waits
  // on an atomic with a timeout, as precise as the browser's clock.
  std::this_thread::sleep_until(end);
}

}  // namespace runtime
