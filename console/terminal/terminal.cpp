#include "console/terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace console::terminal {

namespace {

constexpr CellSize fallbackSize{80, 25};

// What restoring the terminal needs, kept where a signal handler can reach
// it. One terminal at a time is in raw mode.
struct RawModeGuard {
  int keyFd = -1;
  int screenFd = -1;
  termios saved{};
  char release[32] = {};            // VtRenderer::Release(), ready for write()
  std::size_t releaseLength = 0;
  std::atomic<bool> active{false};  // modes changed and not yet restored
};

RawModeGuard guard;
std::atomic<bool> resizeSignalled{false};

// Best effort and async-signal-safe: what fails here can't be helped.
void RestoreModes() {
  if (!guard.active.exchange(false)) return;
  tcsetattr(guard.keyFd, TCSANOW, &guard.saved);
  [[maybe_unused]] const ssize_t written =
      write(guard.screenFd, guard.release, guard.releaseLength);
}

void RestoreModesAtExit() { RestoreModes(); }

// Installed with SA_RESETHAND: after restoring, the re-raised signal takes
// its default course once the handler returns.
void OnEndingSignal(int signalNumber) {
  const int savedErrno = errno;
  RestoreModes();
  raise(signalNumber);
  errno = savedErrno;
}

void OnResize(int) { resizeSignalled.store(true); }

void InstallSignalHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(RestoreModesAtExit);
  struct sigaction ending {};
  ending.sa_handler = OnEndingSignal;
  ending.sa_flags = SA_RESETHAND;
  sigemptyset(&ending.sa_mask);
  for (const int signalNumber : {SIGTERM, SIGHUP, SIGQUIT, SIGINT}) {
    sigaction(signalNumber, &ending, nullptr);
  }
  struct sigaction resize {};
  resize.sa_handler = OnResize;
  resize.sa_flags = SA_RESTART;
  sigemptyset(&resize.sa_mask);
  sigaction(SIGWINCH, &resize, nullptr);
}

// Keys one by one, unechoed; CR stays CR; no flow control; Ctrl+C and
// Ctrl+Z are ordinary keys, while Ctrl+\ keeps sending SIGQUIT.
void EnterRawMode(int keyFd, int screenFd) {
  termios modes{};
  if (tcgetattr(keyFd, &modes) != 0) return;
  guard.keyFd = keyFd;
  guard.screenFd = screenFd;
  guard.saved = modes;
  const std::string release = VtRenderer::Release();
  std::memcpy(guard.release, release.data(), release.size());
  guard.releaseLength = release.size();
  modes.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT |
                                          PARMRK | INPCK);
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  modes.c_lflag |= ISIG;
  modes.c_cc[VINTR] = _POSIX_VDISABLE;
  modes.c_cc[VSUSP] = _POSIX_VDISABLE;
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  InstallSignalHandlers();
  guard.active.store(true);
  tcsetattr(keyFd, TCSANOW, &modes);
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
  RestoreModes();
  signal(SIGHUP, SIG_DFL);
  raise(SIGHUP);
  _exit(128 + SIGHUP);
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
  EnterRawMode(keyFd_, screenFd_);
  grid_ = CellGrid(QuerySize());
  renderer_ = VtRenderer(grid_);
}

Terminal::~Terminal() { Release(); }

void Terminal::Release() {
  if (released_) return;
  released_ = true;
  RestoreModes();
  if (ownsKeyFd_) close(keyFd_);
}

CellSize Terminal::QuerySize() const {
  if (const auto size = WindowSizeOf(screenFd_)) return *size;
  if (const auto size = WindowSizeOf(keyFd_)) return *size;
  return fallbackSize;
}

void Terminal::FollowResize() {
  if (released_ || !resizeSignalled.exchange(false)) return;
  const CellSize size = QuerySize();
  grid_.Resize(size);
  renderer_.Invalidate();
  Present();
}

CellSize Terminal::BufferSize() {
  FollowResize();
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

bool Terminal::ReadKeys(int waitMilliseconds, std::deque<KeyPress>& queue) {
  pollfd ready{keyFd_, POLLIN, 0};
  int events = 0;
  do {
    events = poll(&ready, 1, waitMilliseconds);
  } while (events < 0 && errno == EINTR);  // a resize signal is no end of the wait
  if (events <= 0) return false;
  char bytes[256];
  const ssize_t count = read(keyFd_, bytes, sizeof bytes);
  if (count > 0) {
    decoder_.Feed({bytes, static_cast<std::size_t>(count)}, queue);
    return true;
  }
  if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    EndAsHungUp();
  }
  return false;
}

void Terminal::TakeArrivedKeys(std::deque<KeyPress>& queue) {
  if (released_) return;
  FollowResize();
  ReadKeys(0, queue);
  while (decoder_.Pending()) {
    if (!ReadKeys(escapeWaitMilliseconds, queue)) decoder_.Expire(queue);
  }
}

void Terminal::AwaitInput(std::chrono::milliseconds timeout) {
  if (released_) return;
  pollfd ready{keyFd_, POLLIN, 0};
  poll(&ready, 1, static_cast<int>(timeout.count()));
}

}  // namespace console::terminal
