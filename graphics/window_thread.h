// The WindowThread: the thread that owns one graphic window. It creates the
// window and its records, answers the window system's events and serves the
// requests of other threads (a synchronous repaint, closing). While a change
// on the surface waits to be shown, it makes an idle pass whenever nothing
// has arrived for a millisecond: it tries the DrawingLock once and either
// takes what changed and copies it to the screen after letting go of the
// lock, or, when the lock is held, leaves a `repaintRequested` note for the
// drawing operation. While nothing waits to
// be shown it sleeps until the window system, a request or a drawing
// operation's first change wakes it.
//
// The opening handshake, the requests and their answers share one mutex and
// one condition variable per window thread.
//
// The window system owns every WindowThread and joins it before it lets go
// (graphics/window_system.h); the window's records only refer to it, so the
// thread is never the last owner of itself and never detaches.
//
// Destroying the window (from either side) unregisters both records and
// destroys the native window without taking the DrawingLock, so a close that
// a drawing thread waits for while holding the lock always completes. The
// surface is shared: a drawing operation running at that moment still holds
// it and finishes on memory that is released only when it lets go.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "graphics/graphic_window.h"
#include "graphics/native_window.h"
#include "graphics/window_record.h"
#include "runtime/joining_thread.h"

namespace graphics {

class WindowThread : public std::enable_shared_from_this<WindowThread> {
 public:
  WindowThread(WindowSettings settings, NativeWindowFactory factory);
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  // Starts the thread. Throws std::system_error when it cannot be started.
  void Start();

  // Waits until the thread has written its result: the frame's handle once
  // the window is shown, or 0 when the window could not be made.
  WindowHandle AwaitResult();

  // Copies `area` of the surface to the screen: at once on the window
  // thread, otherwise through its queue, returning when it is done or the
  // window has gone.
  void Paint(PixelRect area);

  // Destroys the window as the close command does; returns when the window
  // thread has destroyed it (at once when it is already gone).
  void RequestClose();

  // A drawing operation changed the surface of a window that showed every
  // pixel: wakes the thread so that its idle passes begin (any thread).
  void NoteChange();

  // True once the thread has left its loop for good; it may then be joined.
  bool HasEnded();

  // Waits for the thread to end (not from the window thread itself).
  void Join();

 private:
  enum class RequestKind { paint, close };
  struct Request {
    RequestKind kind;
    PixelRect area;     // paint: what to copy
    bool done = false;  // set by the window thread, under mutex_
  };

  void Run();
  bool OpenWindow();
  void ServeUntilDestroyed();
  // Serves every queued request; true when one of them closed the window.
  bool ServeRequests();
  void IdlePass();
  // One turn of the loop's work from inside a loop of the window system's.
  void ServeInModalLoop();
  // Whether a change on the surface waits for an idle pass to show it.
  bool RepaintWaits() const;
  void DestroyWindow();
  // Answers every waiting request, refuses new ones and marks the thread
  // as ended.
  void CloseQueue();
  void Submit(Request& request);
  bool OnWindowThread() const;

  void WriteResult(WindowHandle handle);

  const WindowSettings settings_;  // the argument block
  const NativeWindowFactory factory_;

  // Window-thread state (written before the records are registered).
  std::unique_ptr<NativeWindow> native_;  // lives until this object dies
  std::shared_ptr<WindowRecord> area_;    // dropped when the window is destroyed
  WindowHandle frameHandle_ = 0;
  bool destroyed_ = false;

  // Shared with other threads, under mutex_; `stateChanged_` announces a
  // result, answered requests and the end.
  std::mutex mutex_;
  std::condition_variable stateChanged_;
  std::optional<WindowHandle> result_;  // none while opening, then the handle or 0
  std::deque<Request*> queue_;          // requests waiting to be served
  bool queueClosed_ = false;            // the window is gone: requests return at once
  NativeWindow* wakeTarget_ = nullptr;  // native_, once made (for Wake)
  bool ended_ = false;                  // the thread has left its loop for good

  // The window thread's, once it runs. Written by that thread as it starts
  // (thread_ itself is still being assigned then) and read by any: atomic.
  std::atomic<std::thread::id> threadId_{};
  runtime::JoiningThread thread_;  // last: ends before the state above goes
};

// Clears `changed` and returns the part of the area's surface whose pixels
// changed since the last repaint (empty when none did): what the screen
// still has to be shown. Caller holds the DrawingLock.
PixelRect TakeRepaint(WindowRecord& area);

// Copies what changed on the area's surface to the screen and clears
// `changed`; skips the copy when no pixel changed since the last one.
// Caller holds the DrawingLock.
void RepaintArea(WindowRecord& area);

}  // namespace graphics
