#include "graphics/window_system.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "graphics/desktop_window.h"
#include "graphics/graphic_window.h"
#include "graphics/offscreen/offscreen_window.h"
#include "graphics/window_thread.h"

namespace graphics {

namespace {

// Chosen at start-up, read by whichever thread opens a window; nothing else
// goes with it, so an atomic is all the exclusion it needs.
std::atomic<NativeWindowFactory> selectedFactory{desktop::MakeDesktopWindow};

// Every window thread that has not been joined yet. Never destroyed, so a
// late exit path never meets a destroyed list.
struct ThreadList {
  std::mutex mutex;
  std::vector<std::shared_ptr<WindowThread>> threads;
};

ThreadList& Threads() {
  static ThreadList* const list = new ThreadList;
  return *list;
}

NativeWindowFactory FactoryOf(WindowSystemKind kind) {
  switch (kind) {
    case WindowSystemKind::offscreen: return offscreen::MakeOffscreenWindow;
    case WindowSystemKind::desktop: break;
  }
  return desktop::MakeDesktopWindow;
}

// Joins the threads whose windows are gone, so they do not pile up over
// many windows.
void JoinEndedThreads() {
  std::vector<std::shared_ptr<WindowThread>> ended;
  {
    ThreadList& list = Threads();
    std::lock_guard lock(list.mutex);
    std::erase_if(list.threads, [&](const std::shared_ptr<WindowThread>& thread) {
      if (!thread->HasEnded()) return false;
      ended.push_back(thread);
      return true;
    });
  }
  for (const auto& thread : ended) thread->Join();
}

void ShutdownAtExit() { ShutdownWindowSystem(); }

// Any thread may open the first window: call_once registers the exit
// handler exactly once without a flag and a lock of its own.
void RegisterExitSafetyNet() {
  static std::once_flag registered;
  std::call_once(registered, [] { std::atexit(ShutdownAtExit); });
}

// Starts the window thread of a window made by `factory` and waits for it.
WindowHandle OpenWindowWith(NativeWindowFactory factory, const WindowSettings& settings) {
  RegisterExitSafetyNet();
  JoinEndedThreads();
  auto thread = std::make_shared<WindowThread>(settings, factory);
  try {
    thread->Start();
  } catch (const std::system_error&) {
    return 0;
  }
  {
    ThreadList& list = Threads();
    std::lock_guard lock(list.mutex);
    list.threads.push_back(thread);
  }
  // The result comes once the window is shown, ready for the first drawing.
  return thread->AwaitResult();
}

}  // namespace

void SelectWindowSystem(WindowSystemKind kind) {
  if (kind == WindowSystemKind::desktop) desktop::PrepareWindowSystem();
  SelectWindowSystem(FactoryOf(kind));
}

void SelectWindowSystem(NativeWindowFactory factory) { selectedFactory.store(factory); }

void ShutdownWindowSystem() {
  std::vector<std::shared_ptr<WindowThread>> threads;
  {
    ThreadList& list = Threads();
    std::lock_guard lock(list.mutex);
    threads.swap(list.threads);
  }
  for (const auto& thread : threads) thread->RequestClose();
  for (const auto& thread : threads) thread->Join();
}

WindowHandle OpenGraphicWindow(const runtime::Text& caption, int x, int y, int width, int height) {
  return OpenWindowWith(selectedFactory.load(), WindowSettings{caption, x, y, width, height, nullptr});
}

WindowHandle OpenWindow(const WindowSettings& settings) {
  return OpenWindowWith(selectedFactory.load(), settings);
}

WindowHandle OpenWindow(WindowSystemKind kind, const WindowSettings& settings) {
  if (kind == WindowSystemKind::desktop) desktop::PrepareWindowSystem();
  return OpenWindowWith(FactoryOf(kind), settings);
}


}  // namespace graphics
