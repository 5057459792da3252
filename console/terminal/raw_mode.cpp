#include "console/terminal/raw_mode.h"

#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/vt/vt_renderer.h"

namespace console::terminal {

namespace {

// What the signal handlers need, kept where they can reach it.
struct RawModeGuard {
  int keyFd = -1;
  int screenFd = -1;
  int wakeFd = -1;                   // the reader thread's wake-up pipe
  termios saved{};                   // the modes to hand back
  termios raw{};                     // the program's modes
  char acquire[48] = {};             // VtRenderer::Acquire(), ready for write()
  std::size_t acquireLength = 0;
  char release[48] = {};             // VtRenderer::Release(), ready for write()
  std::size_t releaseLength = 0;
  // The descriptors above and the three below change only under ModesHeld.
  bool inUse = false;                // between EnterRawMode and LeaveRawMode
  bool active = false;               // the program's modes are in force
  bool ending = false;               // a signal ends the program: never raw again
};

RawModeGuard guard;
std::atomic<bool> resizeSignalled{false};
std::atomic<bool> continueSignalled{false};

// The signals whose handlers change the terminal's modes, or note changes.
constexpr int endingSignals[] = {SIGTERM, SIGHUP, SIGQUIT, SIGINT,     // ways to end it
                                 SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};  // crashes
sigset_t HandledSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signalNumber : endingSignals) sigaddset(&signals, signalNumber);
  for (const int signalNumber : {SIGTSTP, SIGCONT, SIGWINCH}) sigaddset(&signals, signalNumber);
  return signals;
}

// The modes are changed by the program and by signal handlers, which may run
// on any thread, several at once. A spin lock keeps the changes apart: a
// handler can take no mutex. Its
// holder always has the handled signals blocked on its thread (handlers by
// their masks, the program by SignalsHeldBack), so no handler ever spins on
// a lock that its own thread holds.
std::atomic_flag modesBusy = ATOMIC_FLAG_INIT;

class ModesHeld {
 public:
  ModesHeld() {
    while (modesBusy.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~ModesHeld() { modesBusy.clear(std::memory_order_release); }
  ModesHeld(const ModesHeld&) = delete;
  ModesHeld& operator=(const ModesHeld&) = delete;
};

// Outside the handlers: the handled signals blocked for a scope.
class SignalsHeldBack {
 public:
  SignalsHeldBack() {
    const sigset_t handled = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &handled, &previous_);
  }
  ~SignalsHeldBack() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeldBack(const SignalsHeldBack&) = delete;
  SignalsHeldBack& operator=(const SignalsHeldBack&) = delete;

 private:
  sigset_t previous_;
};

// All of the following are async-signal-safe and best effort: what fails
// here can't be helped. The *Held ones need ModesHeld.

// Under the lock, so that the descriptor is not closed (and perhaps reused
// for another file) between the check and the write.
void WakeReaderHeld() {
  if (guard.wakeFd < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(guard.wakeFd, &byte, 1);
}

void RestoreModesHeld() {
  if (!guard.active) return;
  guard.active = false;
  tcsetattr(guard.keyFd, TCSANOW, &guard.saved);
  [[maybe_unused]] const ssize_t written =
      write(guard.screenFd, guard.release, guard.releaseLength);
}

void RestoreModes() {
  const ModesHeld held;
  RestoreModesHeld();
}

// The program's modes in force (again); the Alt modes asked for only when
// they were handed back, so that their saved settings stay the user's.
void ApplyRawModesHeld() {
  if (!guard.inUse || guard.ending) return;
  tcsetattr(guard.keyFd, TCSANOW, &guard.raw);
  if (guard.active) return;
  guard.active = true;
  [[maybe_unused]] const ssize_t written =
      write(guard.screenFd, guard.acquire, guard.acquireLength);
}

void RestoreModesAtExit() {
  const SignalsHeldBack heldBack;
  RestoreModes();
}

// Installed with SA_RESETHAND: the signal raised again here is blocked
// while the handler runs, and takes its default course (termination, core
// dump) as soon as the handler returns. A crash's fault is also simply
// met again.
void OnEndingSignal(int signalNumber) {
  const int savedErrno = errno;
  {
    const ModesHeld held;
    guard.ending = true;
    RestoreModesHeld();
  }
  raise(signalNumber);
  errno = savedErrno;
}

// Raw mode again, and the screen is to be painted anew, since the shell
// may have written over it meanwhile.
void TakeTerminalBack() {
  const ModesHeld held;
  if (!guard.inUse || guard.ending) return;
  ApplyRawModesHeld();
  continueSignalled.store(true);
  WakeReaderHeld();
}

void OnStopSignal(int);

// Every handler blocks all the handled signals while it runs.
void Install(int signalNumber, void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  action.sa_mask = HandledSignals();
  sigaction(signalNumber, &action, nullptr);
}

// A stop from outside: the terminal goes back to the shell, then the
// process stops by the signal's own default action; when it is continued,
// the handler goes on here, takes the terminal back and stays installed for
// the next stop. (The kernel discards the stop of an orphaned process
// group, which nobody could continue: then the program simply goes on.)
void OnStopSignal(int) {
  const int savedErrno = errno;
  RestoreModes();
  Install(SIGTSTP, SIG_DFL, 0);
  raise(SIGTSTP);
  sigset_t stopSignal;
  sigemptyset(&stopSignal);
  sigaddset(&stopSignal, SIGTSTP);
  pthread_sigmask(SIG_UNBLOCK, &stopSignal, nullptr);  // stops here until SIGCONT
  Install(SIGTSTP, OnStopSignal, 0);
  TakeTerminalBack();
  errno = savedErrno;
}

// Continued after any stop, also one the program could not see coming.
void OnContinueSignal(int) {
  const int savedErrno = errno;
  TakeTerminalBack();
  errno = savedErrno;
}

void OnResize(int) {
  const int savedErrno = errno;
  resizeSignalled.store(true);
  {
    const ModesHeld held;
    WakeReaderHeld();
  }
  errno = savedErrno;
}

void InstallSignalHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(RestoreModesAtExit);
  for (const int signalNumber : endingSignals) Install(signalNumber, OnEndingSignal, SA_RESETHAND);
  Install(SIGTSTP, OnStopSignal, 0);
  Install(SIGCONT, OnContinueSignal, SA_RESTART);
  Install(SIGWINCH, OnResize, SA_RESTART);
}

void CopyInto(const std::string& text, char (&buffer)[48], std::size_t& length) {
  length = std::min(text.size(), sizeof buffer);
  std::memcpy(buffer, text.data(), length);
}

}  // namespace

void EnterRawMode(int keyFd, int screenFd, int wakeFd) {
  termios modes{};
  if (tcgetattr(keyFd, &modes) != 0) return;
  InstallSignalHandlers();
  const SignalsHeldBack heldBack;
  const ModesHeld held;
  guard.keyFd = keyFd;
  guard.screenFd = screenFd;
  guard.wakeFd = wakeFd;
  guard.saved = modes;
  CopyInto(vt::VtRenderer::Acquire(), guard.acquire, guard.acquireLength);
  CopyInto(vt::VtRenderer::Release(), guard.release, guard.releaseLength);
  modes.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT |
                                          PARMRK | INPCK);
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  modes.c_lflag |= ISIG;
  modes.c_cc[VINTR] = _POSIX_VDISABLE;
  modes.c_cc[VSUSP] = _POSIX_VDISABLE;
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  guard.raw = modes;
  guard.inUse = true;
  guard.ending = false;
  ApplyRawModesHeld();
}

void LeaveRawMode() {
  const SignalsHeldBack heldBack;
  const ModesHeld held;
  guard.inUse = false;
  RestoreModesHeld();
  guard.keyFd = guard.screenFd = guard.wakeFd = -1;
}

NotedEvents TakeNotedEvents() {
  return {resizeSignalled.exchange(false), continueSignalled.exchange(false)};
}

[[noreturn]] void EndAsHungUp() {
  {
    const SignalsHeldBack heldBack;
    RestoreModes();
  }
  signal(SIGHUP, SIG_DFL);
  raise(SIGHUP);
  _exit(128 + SIGHUP);
}

}  // namespace console::terminal
