#include "cli/interruption.h"

#include <atomic>
#include <csignal>

namespace cli {

namespace {

std::atomic<int> requestedBy{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

extern "C" void NoteInterruption(int signal) { requestedBy.store(signal); }

}  // namespace

void CatchInterruption() {
  std::signal(SIGINT, NoteInterruption);
  std::signal(SIGTERM, NoteInterruption);
}

int InterruptionSignal() { return requestedBy.load(); }

}  // namespace cli
