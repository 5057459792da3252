#include "console/terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "console/terminal/raw_mode.h"

namespace console::terminal {

namespace {

constexpr CellSize fallbackSize{80, 25};

std::optional<CellSize> WindowSizeOf(int fd) {
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return std::nullopt;
  }
  return CellSize{size.ws_col, size.ws_row};
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
    : GridDevice(fallbackSize),
      screenFd_(screenFd),
      keyFd_(keyFd),
      renderer_(grid_) {
  int wake[2] = {-1, -1};
  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
    wakeReadFd_ = wake[0];
    wakeWriteFd_ = wake[1];
  }
  EnterRawMode(keyFd_, screenFd_, wakeWriteFd_);
  grid_ = CellGrid(QuerySize());
  renderer_ = VtRenderer(grid_);
  reader_ = runtime::JoiningThread([this] { ReadKeys(); });
}

Terminal::~Terminal() { Release(); }

void Terminal::Release() {
  if (released_) return;
  released_ = true;
  stopping_ = true;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakeWriteFd_, &byte, 1);
  if (reader_.joinable()) reader_.join();
  // After it no signal handler writes into the wake pipe or touches the key
  // descriptor, so that they can be closed.
  LeaveRawMode();
  if (ownsKeyFd_) close(keyFd_);
  for (const int fd : {wakeReadFd_, wakeWriteFd_}) {
    if (fd >= 0) close(fd);
  }
}

void Terminal::ReadKeys() {
  KeyDecoder decoder;
  while (!stopping_) {
    std::array<pollfd, 2> watched{{{keyFd_, POLLIN, 0}, {wakeReadFd_, POLLIN, 0}}};
    const int timeout = decoder.Pending() ? static_cast<int>(decoder.RestWait().count()) : -1;
    const int events = poll(watched.data(), watched.size(), timeout);
    if (events < 0) continue;  // a signal: look again
    if (stopping_) return;
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
  const NotedEvents noted = TakeNotedEvents();
  if (!noted.resized && !noted.continued) return;
  if (noted.resized) grid_.Resize(QuerySize());
  renderer_.Invalidate();
  Present();
}

CellSize Terminal::BufferSize() {
  FollowConsoleEvents();
  return grid_.Size();
}

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
