// Input from a window's user, for the one mode that wants it (explore).
//
// Each backend's event handling turns the platform's button, motion, wheel
// and key messages into one small `InputEvent` and pushes it into the
// window's `InputQueue`, when the window was opened with one; the form's two
// runs open their windows without a queue, so whatever is typed or clicked
// there is ignored as before. The mode waits on the queue; nothing else
// reads it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace graphics {

enum class InputKind {
  buttonPress,    // a pointer button went down
  buttonRelease,  // and up again
  motion,         // the pointer moved over the drawing area
  wheel,          // the wheel turned by `wheelSteps` notches
  key,            // a key was pressed (`key`, `character`)
  closed,         // the window is gone: closed by the user or the program, or vanished
};

enum class PointerButton { none, left, middle, right };

// The keys the mode knows; every other key is `character` (printable, with
// its character) or not queued at all.
enum class InputKey { none, character, escape, backspace, home, left, right, up, down };

struct InputEvent {
  InputKind kind = InputKind::motion;
  // Pointer position in drawing-area pixels, (0, 0) top left; for every
  // pointer event (for a key: where the pointer was, or 0, 0).
  int x = 0;
  int y = 0;
  PointerButton button = PointerButton::none;  // buttonPress, buttonRelease
  // wheel: notches turned, positive away from the user (up), negative towards.
  int wheelSteps = 0;
  InputKey key = InputKey::none;  // key
  char32_t character = 0;         // key == character: the character, as typed ('s', 'Q')
};

// The input events of one window, from its window thread to the mode.
class InputQueue {
 public:
  // Adds an event and wakes a waiting reader (any thread).
  void Push(const InputEvent& event) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
    }
    arrived_.notify_all();
  }

  // The oldest event, waiting for one up to `timeout`; none when none came.
  std::optional<InputEvent> WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [this] { return !events_.empty(); })) return std::nullopt;
    InputEvent event = events_.front();
    events_.pop_front();
    return event;
  }

  // The oldest event, if one is there, without waiting.
  std::optional<InputEvent> TryPop() { return WaitFor(std::chrono::milliseconds(0)); }

  // Whether an event is waiting (left where it is).
  bool HasEvents() {
    std::lock_guard lock(mutex_);
    return !events_.empty();
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<InputEvent> events_;
};

}  // namespace graphics
