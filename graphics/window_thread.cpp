#include "graphics/window_thread.h"

#include <chrono>
#include <limits>
#include <new>

#include "graphics/drawing_lock.h"
#include "graphics/window_registry.h"

namespace graphics {

namespace {

// How long the loop waits for events before it makes an idle pass, while a
// change waits to be shown.
constexpr std::chrono::microseconds idleInterval{1000};

// The largest drawing area: the window systems address pixels with 16 bits.
constexpr int maximumExtent = 32767;

// Handles are handed out in pairs (frame, drawing area) and never reused,
// so a thread's old target never resolves to a newer window. Window threads
// take them as they open their windows; one atomic counter is all the
// exclusion that needs.
std::atomic<WindowHandle> nextHandle{0x1000};

WindowHandle NewHandlePair() { return nextHandle.fetch_add(2); }

bool IsValidSize(const WindowSettings& settings) {
  return settings.width >= 1 && settings.width <= maximumExtent && settings.height >= 1 &&
         settings.height <= maximumExtent;
}

}  // namespace

WindowThread::WindowThread(WindowSettings settings, NativeWindowFactory factory)
    : settings_(std::move(settings)), factory_(factory) {}

void WindowThread::Start() {
  thread_ = runtime::JoiningThread([this] { Run(); });
}

WindowHandle WindowThread::AwaitResult() {
  std::unique_lock lock(mutex_);
  stateChanged_.wait(lock, [&] { return result_.has_value(); });
  return *result_;
}

void WindowThread::WriteResult(WindowHandle handle) {
  {
    std::lock_guard lock(mutex_);
    if (result_) return;  // written once
    result_ = handle;
  }
  stateChanged_.notify_all();
}

bool WindowThread::HasEnded() {
  std::lock_guard lock(mutex_);
  return ended_;
}

void WindowThread::Join() {
  if (thread_.joinable() && !OnWindowThread()) thread_.join();
}

bool WindowThread::OnWindowThread() const { return threadId_.load() == std::this_thread::get_id(); }

void WindowThread::Run() {
  threadId_.store(std::this_thread::get_id());
  try {
    if (OpenWindow()) {
      WriteResult(frameHandle_);
      ServeUntilDestroyed();
      // Closed by the user, vanished, or closed by the program (which then
      // reads no more input): whoever reads the window's input learns it.
      if (settings_.input) settings_.input->Push({.kind = InputKind::closed});
    }
  } catch (...) {
    // Nothing may escape a thread; whatever failed ends the window.
  }
  WriteResult(0);  // unless the handle was written
  try {
    DestroyWindow();
  } catch (...) {
  }
  CloseQueue();
}

bool WindowThread::OpenWindow() {
  if (!IsValidSize(settings_)) return false;
  std::shared_ptr<Surface> surface;
  try {
    surface = std::make_shared<Surface>(settings_.width, settings_.height, dialogFaceColor);
  } catch (const std::bad_alloc&) {
    return false;
  }
  native_ = factory_(settings_, surface);
  if (!native_) return false;
  native_->SetModalLoopWork([this] { ServeInModalLoop(); });
  {
    std::lock_guard lock(mutex_);
    wakeTarget_ = native_.get();
  }

  const WindowHandle handles = NewHandlePair();
  auto frame = std::make_shared<WindowRecord>();
  frame->handle = handles;
  frame->kind = RecordKind::frame;
  frame->width = settings_.width;
  frame->height = settings_.height;
  frame->owner = weak_from_this();

  auto area = std::make_shared<WindowRecord>();
  area->handle = handles + 1;
  area->parentHandle = frame->handle;
  area->kind = RecordKind::drawingArea;
  area->surface = std::move(surface);
  area->width = settings_.width;
  area->height = settings_.height;
  area->foreColor = windowTextColor;
  area->backColor = dialogFaceColor;
  area->owner = weak_from_this();

  frameHandle_ = frame->handle;
  area_ = area;
  WindowRegistry::Register(frame);
  WindowRegistry::Register(area);
  native_->Show();
  return true;
}

void WindowThread::ServeUntilDestroyed() {
  while (true) {
    const WindowEvent event = native_->DispatchEvents();
    if (event != WindowEvent::none) return;  // Run destroys the window
    if (ServeRequests()) return;
    if (!RepaintWaits()) {
      native_->WaitForActivity(untilActivity);
    } else if (native_->WaitForActivity(idleInterval) == Activity::none) {
      IdlePass();
    }
  }
}

bool WindowThread::RepaintWaits() const {
  return area_->HasFlag(windowFlag::changed);
}

void WindowThread::NoteChange() {
  NativeWindow* wakeTarget = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (!queueClosed_) wakeTarget = wakeTarget_;
  }
  if (wakeTarget != nullptr) wakeTarget->Wake();
}

bool WindowThread::ServeRequests() {
  std::deque<Request*> pending;
  {
    std::lock_guard lock(mutex_);
    pending.swap(queue_);
  }
  bool closed = false;
  for (Request* request : pending) {
    if (request->kind == RequestKind::paint && !closed) native_->Paint(request->area);
    if (request->kind == RequestKind::close && !closed) {
      DestroyWindow();
      closed = true;
    }
  }
  if (!pending.empty()) {
    {
      std::lock_guard lock(mutex_);
      for (Request* request : pending) request->done = true;
    }
    stateChanged_.notify_all();
  }
  return closed;
}

void WindowThread::IdlePass() {
  std::unique_lock drawingLock(DrawingLock(), std::try_to_lock);
  if (!drawingLock.owns_lock()) {
    // A drawing operation is running: it repaints when it ends.
    area_->SetFlag(windowFlag::repaintRequested);
    return;
  }
  PixelRect changedArea;
  if (RepaintWaits()) changedArea = TakeRepaint(*area_);
  drawingLock.unlock();
  // The copy itself needs no DrawingLock: the surface's own lock keeps every
  // figure whole, and the drawing thread goes on drawing meanwhile (a paint
  // can cost milliseconds, as under Wine).
  if (!changedArea.IsEmpty()) native_->Paint(changedArea);
}

void WindowThread::ServeInModalLoop() {
  if (destroyed_ || !area_ || ServeRequests()) return;
  if (RepaintWaits()) IdlePass();
}

void WindowThread::DestroyWindow() {
  if (destroyed_) return;
  destroyed_ = true;
  // The area first: it is owned by its frame.
  if (area_) WindowRegistry::Unregister(area_->handle);
  if (frameHandle_ != 0) WindowRegistry::Unregister(frameHandle_);
  area_.reset();
  if (native_) native_->Destroy();
}

void WindowThread::CloseQueue() {
  {
    std::lock_guard lock(mutex_);
    queueClosed_ = true;
    for (Request* request : queue_) request->done = true;
    queue_.clear();
    ended_ = true;
  }
  stateChanged_.notify_all();
}

void WindowThread::Submit(Request& request) {
  NativeWindow* wakeTarget = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (queueClosed_) return;
    queue_.push_back(&request);
    wakeTarget = wakeTarget_;
  }
  // Still opening: the loop serves the queue as soon as it starts.
  if (wakeTarget != nullptr) wakeTarget->Wake();
  std::unique_lock lock(mutex_);
  stateChanged_.wait(lock, [&] { return request.done; });
}

void WindowThread::Paint(PixelRect area) {
  if (OnWindowThread()) {
    if (!destroyed_) native_->Paint(area);
    return;
  }
  Request request{RequestKind::paint, area};
  Submit(request);
}

void WindowThread::RequestClose() {
  if (OnWindowThread()) {
    DestroyWindow();
    return;
  }
  Request request{RequestKind::close, {}};
  Submit(request);
}

PixelRect TakeRepaint(WindowRecord& area) {
  area.ClearFlag(windowFlag::changed);
  return area.surface->TakeChangedArea();
}

void RepaintArea(WindowRecord& area) {
  const PixelRect changedArea = TakeRepaint(area);
  if (changedArea.IsEmpty()) return;  // the screen already shows every pixel
  if (const auto owner = area.owner.lock()) owner->Paint(changedArea);
}

}  // namespace graphics
