#include "runtime/precise_timer.h"

#include <windows.h>

#include <timeapi.h>

namespace runtime {

namespace {

// Windows wakes a sleeping thread at its timer's ticks, 15.6 ms apart by
// default: a pause of 6 ms would last 15.6. A high-resolution waitable timer
// (Windows 10 1803 and later) wakes within a fraction of a millisecond;
// older systems get an ordinary one, with the tick raised to 1 ms while the
// timer lives.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

constexpr UINT raisedTickMilliseconds = 1;

HANDLE CreateHighResolutionTimer() {
  return CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                TIMER_ALL_ACCESS);
}

}  // namespace

PreciseTimer::PreciseTimer() {
  HANDLE timer = CreateHighResolutionTimer();
  if (timer == nullptr) {
    timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    if (timer != nullptr) {
      timeBeginPeriod(raisedTickMilliseconds);
      raisedTick_ = true;
    }
  }
  timer_ = timer;
}

PreciseTimer::~PreciseTimer() {
  if (timer_ == nullptr) return;
  CloseHandle(static_cast<HANDLE>(timer_));
  if (raisedTick_) timeEndPeriod(raisedTickMilliseconds);
}

void PreciseTimer::WaitUntil(std::chrono::steady_clock::time_point end) {
  const auto left = end - std::chrono::steady_clock::now();
  if (left <= std::chrono::steady_clock::duration::zero()) return;
  // A negative due time is relative, in units of 100 ns.
  const auto ticks = std::chrono::duration_cast<std::chrono::duration<LONGLONG, std::ratio<1, 10000000>>>(left).count();
  LARGE_INTEGER dueTime;
  dueTime.QuadPart = -(ticks > 0 ? ticks : 1);
  if (timer_ != nullptr && SetWaitableTimer(static_cast<HANDLE>(timer_), &dueTime, 0, nullptr, nullptr, FALSE)) {
    WaitForSingleObject(static_cast<HANDLE>(timer_), INFINITE);
    return;
  }
  // No timer at all: the coarse sleep, rounded up.
  const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace runtime
