// A thread that is joined when its owner lets go of it: std::jthread where
// the standard library has it, and otherwise (the WebAssembly build's
// library predates it) a std::thread joined on destruction and before a new
// thread is moved in. Only what the program uses is offered: starting from a
// callable, joinable, join and get_id.
//
// The program's one thread style: every thread is a JoiningThread owned by
// one object, which stops it through a flag of its own and then wakes it:
// a flag under the owner's mutex where the thread waits on the owner's
// condition variable (the map scan's workers, the window thread, the page
// terminal's reader), an atomic one where it waits on something else (the
// terminal's reader in poll, woken through its pipe). Never a stop token:
// the page's build has none, and the waits are on the owner's own
// conditions anyway.
#pragma once

#include <thread>
#include <utility>
#include <version>

namespace runtime {

#if defined(__cpp_lib_jthread)

using JoiningThread = std::jthread;

#else

class JoiningThread {
 public:
  JoiningThread() noexcept = default;
  template <typename Function>
  explicit JoiningThread(Function&& function) : thread_(std::forward<Function>(function)) {}
  ~JoiningThread() { JoinIfRunning(); }

  JoiningThread(JoiningThread&& other) noexcept = default;
  JoiningThread& operator=(JoiningThread&& other) noexcept {
    JoinIfRunning();
    thread_ = std::move(other.thread_);
    return *this;
  }

  bool joinable() const noexcept { return thread_.joinable(); }
  void join() { thread_.join(); }
  std::thread::id get_id() const noexcept { return thread_.get_id(); }

 private:
  void JoinIfRunning() {
    if (thread_.joinable()) thread_.join();
  }

  std::thread thread_;
};

#endif

}  // namespace runtime
