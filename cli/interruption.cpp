#include "cli/interruption.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

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

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

}  // namespace cli
