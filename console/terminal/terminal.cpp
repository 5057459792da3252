#include "console/terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace console::terminal {

namespace {

constexpr CellSize fallbackSize{80, 25};

// What the signal handlers need, kept where they can reach it. One terminal
// at a time is in raw mode.
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
  // The three below change only under ModesHeld.
  bool inUse = false;                // between raw mode's start and Release
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
// on any thread, several at once. A spin lock keeps the changes apart. Its
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

void WakeReader() {
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
  {
    const ModesHeld held;
    if (!guard.inUse || guard.ending) return;
    ApplyRawModesHeld();
  }
  continueSignalled.store(true);
  WakeReader();
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
  WakeReader();
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

// Keys one by one, unechoed; CR stays CR; no flow control; Ctrl+C and
// Ctrl+Z are ordinary keys, while Ctrl+\ keeps sending SIGQUIT.
void EnterRawMode(int keyFd, int screenFd, int wakeFd) {
  termios modes{};
  if (tcgetattr(keyFd, &modes) != 0) return;
  guard.keyFd = keyFd;
  guard.screenFd = screenFd;
  guard.wakeFd = wakeFd;
  guard.saved = modes;
  CopyInto(VtRenderer::Acquire(), guard.acquire, guard.acquireLength);
  CopyInto(VtRenderer::Release(), guard.release, guard.releaseLength);
  modes.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT |
                                          PARMRK | INPCK);
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  modes.c_lflag |= ISIG;
  modes.c_cc[VINTR] = _POSIX_VDISABLE;
  modes.c_cc[VSUSP] = _POSIX_VDISABLE;
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  guard.raw = modes;
  InstallSignalHandlers();
  const SignalsHeldBack heldBack;
  const ModesHeld held;
  guard.inUse = true;
  guard.ending = false;
  ApplyRawModesHeld();
}

std::optional<CellSize> WindowSizeOf(int fd) {
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return std::nullopt;
  }
  return CellSize{size.ws_col, size.ws_row};
}

// The hang-up of the terminal ends the program the way SIGHUP would.
[[noreturn]] void EndAsHungUp() {
  {
    const SignalsHeldBack heldBack;
    RestoreModes();
  }
  signal(SIGHUP, SIG_DFL);
  raise(SIGHUP);
  _exit(128 + SIGHUP);
}

void DrainPipe(int fd) {
  char bytes[64];
  while (read(fd, bytes, sizeof bytes) > 0) {
  }
}

}  // namespace

std::unique_ptr<Terminal> Terminal::Open() {
  int screenFd = -1;
  if (isatty(STDOUT_FILENO)) {
    screenFd = STDOUT_FILENO;
  } else if (isatty(STDERR_FILENO)) {
    screenFd = STDERR_FILENO;
  } else {
    return nullptr;
  }
  int keyFd = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (keyFd < 0) {
    const char* screenName = ttyname(screenFd);
    if (screenName == nullptr) return nullptr;
    keyFd = open(screenName, O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (keyFd < 0) return nullptr;
  }
  auto terminal = std::make_unique<Terminal>(screenFd, keyFd);
  terminal->ownsKeyFd_ = true;
  return terminal;
}

Terminal::Terminal(int screenFd, int keyFd)
    : screenFd_(screenFd),
      keyFd_(keyFd),
      grid_(fallbackSize),
      renderer_(grid_) {
  int wake[2] = {-1, -1};
  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
    wakeReadFd_ = wake[0];
    wakeWriteFd_ = wake[1];
  }
  EnterRawMode(keyFd_, screenFd_, wakeWriteFd_);
  grid_ = CellGrid(QuerySize());
  renderer_ = VtRenderer(grid_);
  reader_ = std::jthread([this](std::stop_token stop) { ReadKeys(stop); });
}

Terminal::~Terminal() { Release(); }

void Terminal::Release() {
  if (released_) return;
  released_ = true;
  reader_.request_stop();
  WakeReader();
  if (reader_.joinable()) reader_.join();
  {
    const SignalsHeldBack heldBack;
    const ModesHeld held;
    guard.inUse = false;
    RestoreModesHeld();
  }
  if (ownsKeyFd_) close(keyFd_);
  guard.wakeFd = -1;
  for (const int fd : {wakeReadFd_, wakeWriteFd_}) {
    if (fd >= 0) close(fd);
  }
}

void Terminal::ReadKeys(std::stop_token stop) {
  KeyDecoder decoder;
  while (!stop.stop_requested()) {
    std::array<pollfd, 2> watched{{{keyFd_, POLLIN, 0}, {wakeReadFd_, POLLIN, 0}}};
    const int timeout = decoder.Pending() ? static_cast<int>(decoder.RestWait().count()) : -1;
    const int events = poll(watched.data(), watched.size(), timeout);
    if (events < 0) continue;  // a signal: look again
    if (stop.stop_requested()) return;
    std::deque<KeyPress> keys;
    if (events == 0) decoder.Expire(keys);  // the rest of a key never came
    const bool signalled = (watched[1].revents & POLLIN) != 0;
    if (signalled) DrainPipe(wakeReadFd_);
    if (watched[0].revents != 0) {
      char bytes[256];
      const ssize_t count = read(keyFd_, bytes, sizeof bytes);
      if (count > 0) {
        decoder.Feed({bytes, static_cast<std::size_t>(count)}, keys);
      } else if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        EndAsHungUp();
      }
    }
    if (keys.empty() && !signalled) continue;
    {
      std::lock_guard lock(keysMutex_);
      arrived_.insert(arrived_.end(), keys.begin(), keys.end());
      eventNoted_ = eventNoted_ || signalled;
    }
    keysArrived_.notify_all();
  }
}

CellSize Terminal::QuerySize() const {
  if (const auto size = WindowSizeOf(screenFd_)) return *size;
  if (const auto size = WindowSizeOf(keyFd_)) return *size;
  return fallbackSize;
}

void Terminal::FollowConsoleEvents() {
  if (released_) return;
  const bool resized = resizeSignalled.exchange(false);
  const bool continued = continueSignalled.exchange(false);
  if (!resized && !continued) return;
  if (resized) grid_.Resize(QuerySize());
  renderer_.Invalidate();
  Present();
}

CellSize Terminal::BufferSize() {
  FollowConsoleEvents();
  return grid_.Size();
}

void Terminal::WriteRowPiece(CellPosition at, std::string_view characters,
                             std::uint8_t attribute) {
  grid_.WriteRowPiece(at, characters, attribute);
}

void Terminal::FillCells(CellPosition from, int count, Cell cell) {
  grid_.FillCells(from, count, cell);
}

void Terminal::FillAttributes(CellPosition from, int count, std::uint8_t attribute) {
  grid_.FillAttributes(from, count, attribute);
}

void Terminal::ScrollUp(Cell fill) { grid_.ScrollUp(fill); }

void Terminal::Present() {
  if (released_) return;
  Write(renderer_.Render(grid_, cursor_));
}

void Terminal::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(screenFd_, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{screenFd_, POLLOUT, 0};
      poll(&ready, 1, 100);
    } else if (errno != EINTR) {
      return;  // the terminal is gone; nothing to show it on
    }
  }
}

void Terminal::TakeArrivedKeys(std::deque<KeyPress>& queue) {
  if (released_) return;
  {
    std::lock_guard lock(keysMutex_);
    queue.insert(queue.end(), arrived_.begin(), arrived_.end());
    arrived_.clear();
    eventNoted_ = false;
  }
  FollowConsoleEvents();
}

void Terminal::AwaitInput(std::chrono::milliseconds timeout) {
  if (released_) return;
  std::unique_lock lock(keysMutex_);
  keysArrived_.wait_for(lock, timeout, [&] { return !arrived_.empty() || eventNoted_; });
}

}  // namespace console::terminal
