// The WindowThread: the thread that owns one graphic window. It creates the
// window and its records, answers the window system's events, serves the
// requests of other threads (a synchronous repaint, closing) and, whenever
// nothing has arrived for a millisecond, makes an idle pass: it tries the
// DrawingLock once and either repaints what changed or, when the lock is
// held, leaves a `repaintRequested` note for the drawing operation.
//
// Destroying the window (from either side) unregisters both records and
// destroys the native window without taking the DrawingLock, so a close that
// a drawing thread waits for while holding the lock always completes. The
// surface is shared: a drawing operation running at that moment still holds
// it and finishes on memory that is released only when it lets go.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "graphics/graphic_window.h"
#include "graphics/native_window.h"
#include "graphics/window_record.h"

namespace graphics {

class WindowThread : public std::enable_shared_from_this<WindowThread> {
 public:
  WindowThread(WindowSettings settings, NativeWindowFactory factory);
  ~WindowThread();
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  // Starts the thread. Throws std::system_error when it cannot be started.
  void Start();

  // Waits (polling) until the thread has written its result: the frame's
  // handle, or 0 when the window could not be made.
  WindowHandle AwaitResult() const;

  // Copies `area` of the surface to the screen: at once on the window
  // thread, otherwise through its queue, returning when it is done or the
  // window has gone.
  void Paint(PixelRect area);

  // Destroys the window as the close command does; returns when the window
  // thread has destroyed it (at once when it is already gone).
  void RequestClose();

  // True once the thread has left its loop for good; it may then be joined.
  bool HasEnded() const { return ended_.load(); }

  // Waits for the thread to end (not from the window thread itself).
  void Join();

 private:
  enum class RequestKind { paint, close };
  struct Request {
    RequestKind kind;
    PixelRect area;     // paint: what to copy
    bool done = false;  // set by the window thread, under queueMutex_
  };

  void Run();
  bool OpenWindow();
  void ServeUntilDestroyed();
  // Serves every queued request; true when one of them closed the window.
  bool ServeRequests();
  void IdlePass();
  void DestroyWindow();
  // Answers every waiting request and refuses new ones.
  void CloseQueue();
  void Submit(Request& request);
  bool OnWindowThread() const;

  const WindowSettings settings_;               // the argument block
  const NativeWindowFactory factory_;
  std::atomic<std::int64_t> resultSlot_{-1};  // -1 while opening, then handle or 0

  std::thread thread_;
  std::atomic<std::thread::id> threadId_{};
  std::atomic<bool> ended_{false};

  // Window-thread state (written before the records are registered).
  std::unique_ptr<NativeWindow> native_;  // lives until this object dies
  std::shared_ptr<WindowRecord> area_;    // dropped when the window is destroyed
  WindowHandle frameHandle_ = 0;
  bool destroyed_ = false;

  std::mutex queueMutex_;
  std::condition_variable requestDone_;
  std::deque<Request*> queue_;  // requests waiting to be served
  bool queueClosed_ = false;    // the window is gone: requests return at once
  NativeWindow* wakeTarget_ = nullptr;  // native_, once made (for Wake)
};

// Copies what changed on the area's surface to the screen and clears
// `changed`; skips the copy when no pixel changed since the last one.
// Caller holds the DrawingLock.
void RepaintArea(WindowRecord& area);

}  // namespace graphics
