// The wait of a window thread whose window system has no events of its own
// to wait on (offscreen, the page's canvases): it waits for a Wake alone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "graphics/native_window.h"

namespace graphics {

class WakeSignal {
 public:
  // NativeWindow::WaitForActivity: until a Wake or `timeout` (untilActivity:
  // without a bound); a Wake that came before the wait ends it at once.
  Activity Wait(std::chrono::microseconds timeout) {
    std::unique_lock lock(mutex_);
    const auto woken = [&] { return woken_; };
    bool arrived = true;
    if (timeout == untilActivity) {
      wokenChanged_.wait(lock, woken);
    } else {
      arrived = wokenChanged_.wait_for(lock, timeout, woken);
    }
    woken_ = false;
    return arrived ? Activity::arrived : Activity::none;
  }

  // NativeWindow::Wake (any thread).
  void Wake() {
    {
      std::lock_guard lock(mutex_);
      woken_ = true;
    }
    wokenChanged_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable wokenChanged_;
  bool woken_ = false;  // a Wake since the last wait
};

}  // namespace graphics
