// The terminal backend on a real pseudo-terminal: raw mode and its
// restoration, keys read from the terminal, screen updates written to it.
#include "console/terminal/terminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "console/keyboard.h"
#include "console/screen.h"
#include "runtime/clock.h"

namespace console::terminal {
namespace {

using vt::VtRenderer;

using namespace std::string_literals;

// A pseudo-terminal pair of 40 x 10 cells in the usual cooked mode.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master_, 0);
    grantpt(master_);
    unlockpt(master_);
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    EXPECT_GE(slave_, 0);
    Resize(40, 10);
  }
  ~PseudoTerminal() {
    close(slave_);
    close(master_);
  }

  int Slave() const { return slave_; }
  termios Modes() const {
    termios modes{};
    tcgetattr(slave_, &modes);
    return modes;
  }
  void Resize(int columns, int rows) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    ioctl(master_, TIOCSWINSZ, &size);
  }
  // Types `bytes` as a user would.
  void Type(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Waits up to ten seconds for the program to write `expected`; true when
  // it has (what came before and with it is read, what came after is left).
  bool AwaitOutput(const std::string& expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::size_t found = 0;
    while ((found = unread_.find(expected)) == std::string::npos) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd ready{master_, POLLIN, 0};
      if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
      char buffer[4096];
      const ssize_t count = read(master_, buffer, sizeof buffer);
      if (count <= 0) return false;
      unread_.append(buffer, static_cast<std::size_t>(count));
    }
    unread_.erase(0, found + expected.size());
    return true;
  }
  // Everything the program has written so far (and not read yet).
  std::string Output() {
    std::string out = std::move(unread_);
    unread_.clear();
    pollfd ready{master_, POLLIN, 0};
    while (poll(&ready, 1, 50) > 0) {
      char buffer[4096];
      const ssize_t count = read(master_, buffer, sizeof buffer);
      if (count <= 0) break;
      out.append(buffer, static_cast<std::size_t>(count));
    }
    return out;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string unread_;  // read by AwaitOutput after what it waited for
};

bool SameModes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
         std::string(reinterpret_cast<const char*>(a.c_cc), NCCS) ==
             std::string(reinterpret_cast<const char*>(b.c_cc), NCCS);
}

TEST(Terminal, RawModeWhileOpenAndRestoredOnRelease) {
  PseudoTerminal pty;
  const termios cooked = pty.Modes();
  {
    Terminal terminal(pty.Slave(), pty.Slave());
    const termios raw = pty.Modes();
    EXPECT_EQ(raw.c_lflag & (ECHO | ICANON | IEXTEN), 0u);
    EXPECT_NE(raw.c_lflag & ISIG, 0u);  // Ctrl+\ still quits
    EXPECT_EQ(raw.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(raw.c_cc[VINTR], _POSIX_VDISABLE);
    EXPECT_EQ(raw.c_cc[VQUIT], cooked.c_cc[VQUIT]);
    terminal.Release();
    EXPECT_TRUE(SameModes(pty.Modes(), cooked));
    EXPECT_EQ(pty.Output(), VtRenderer::Acquire() + VtRenderer::Release());
  }
  EXPECT_EQ(pty.Output(), "");  // released once only
}

TEST(Terminal, KeysComeFromTheTerminalDecoded) {
  PseudoTerminal pty;
  Terminal terminal(pty.Slave(), pty.Slave());
  runtime::SystemClock clock;
  ConsoleKeyboard keyboard(terminal, clock);
  EXPECT_EQ(keyboard.PollKey(), "");
  // The keys arrive as the reader thread decodes them; PollKey never waits.
  const auto nextKey = [&] {
    std::string key;
    for (int wait = 0; wait < 100 && key.empty(); ++wait) {
      terminal.AwaitInput(std::chrono::milliseconds(100));
      key = keyboard.PollKey();
    }
    return key;
  };
  pty.Type("a\x03\x1A\r\x1B[A\xC3\xA4");
  EXPECT_EQ(nextKey(), "a");
  EXPECT_EQ(nextKey(), "\x03");  // Ctrl+C is a key, no signal
  EXPECT_EQ(nextKey(), "\x1A");  // and so is Ctrl+Z
  EXPECT_EQ(nextKey(), "\r");     // CR stays CR
  EXPECT_EQ(nextKey(), "\0\x48"s);
  EXPECT_EQ(nextKey(), "\x84");
  pty.Type("\x1B");
  EXPECT_EQ(nextKey(), "\x1B");  // once nothing follows in time
  // Esc, then another key once the Esc was taken for a key of its own: two
  // keys, though the program looks only after both.
  pty.Type("\x1B");
  terminal.AwaitInput(std::chrono::seconds(10));
  pty.Type("x");
  EXPECT_EQ(nextKey(), "\x1B");
  EXPECT_EQ(nextKey(), "x");
  EXPECT_EQ(keyboard.PollKey(), "");
}

TEST(Terminal, ScreenUpdatesReachTheTerminal) {
  PseudoTerminal pty;
  Terminal terminal(pty.Slave(), pty.Slave());
  EXPECT_EQ(terminal.BufferSize(), (CellSize{40, 10}));
  ConsoleScreen screen(terminal);
  pty.Output();
  screen.SetColors(0, 15, 0);
  screen.MoveCursor(4, 2);
  EXPECT_EQ(pty.Output(), "\x1B[4;2H");
  screen.WriteText("Magnetst\x84rke");
  EXPECT_EQ(pty.Output(), "\x1B[?25l\x1B[30;107mMagnetst\xC3\xA4rke\x1B[?25h");
}

TEST(Terminal, FollowsAResize) {
  PseudoTerminal pty;
  Terminal terminal(pty.Slave(), pty.Slave());
  ConsoleScreen screen(terminal);
  screen.WriteText("kept");
  pty.Output();
  pty.Resize(20, 5);
  raise(SIGWINCH);  // the pseudo-terminal is not ours: tell of the resize by hand
  EXPECT_EQ(terminal.BufferSize(), (CellSize{20, 5}));
  const std::string repaint = pty.Output();
  EXPECT_NE(repaint.find("kept"), std::string::npos);  // everything painted anew
}

// A child process opens the terminal and is ended by `signalNumber`.
void ExpectRestoredAfterSignal(int signalNumber) {
  PseudoTerminal pty;
  const termios cooked = pty.Modes();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Terminal terminal(pty.Slave(), pty.Slave());
    kill(getpid(), signalNumber);
    _exit(0);  // not reached: the signal ends the child
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), signalNumber);
  EXPECT_TRUE(SameModes(pty.Modes(), cooked));
  EXPECT_NE(pty.Output().find("\x1B[0m\x1B[0 q\x1B[?25h"), std::string::npos);
}

TEST(Terminal, RestoredWhenEndedOrCrashed) {
  for (const int signalNumber : {SIGTERM, SIGHUP, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
    SCOPED_TRACE(strsignal(signalNumber));
    ExpectRestoredAfterSignal(signalNumber);
  }
}

// The child stops in a process group of its own: one whose parent is in the
// same session, so the kernel carries the stop out.
TEST(Terminal, StoppedFromOutsideItHandsTheTerminalBackUntilContinued) {
  PseudoTerminal pty;
  const termios cooked = pty.Modes();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setpgid(0, 0);
    Terminal terminal(pty.Slave(), pty.Slave());
    for (;;) pause();
  }
  // The Alt modes are asked for once raw mode is in force.
  EXPECT_TRUE(pty.AwaitOutput(VtRenderer::Acquire()));
  EXPECT_FALSE(SameModes(pty.Modes(), cooked));
  kill(child, SIGTSTP);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
  EXPECT_TRUE(WIFSTOPPED(status) && WSTOPSIG(status) == SIGTSTP);
  EXPECT_TRUE(SameModes(pty.Modes(), cooked));
  kill(child, SIGCONT);
  EXPECT_TRUE(pty.AwaitOutput(VtRenderer::Acquire()));
  EXPECT_FALSE(SameModes(pty.Modes(), cooked));
  kill(child, SIGTERM);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(SameModes(pty.Modes(), cooked));
}

// In a session of its own the child's process group is orphaned: the kernel
// discards the stop, and the program goes on with the terminal in its modes.
TEST(Terminal, AStopThatIsDiscardedLeavesTheProgramItsTerminal) {
  PseudoTerminal pty;
  const termios cooked = pty.Modes();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setsid();
    Terminal terminal(pty.Slave(), pty.Slave());
    for (;;) pause();
  }
  EXPECT_TRUE(pty.AwaitOutput(VtRenderer::Acquire()));
  const termios raw = pty.Modes();
  EXPECT_FALSE(SameModes(raw, cooked));
  kill(child, SIGTSTP);
  // The stop hands the terminal back, and once the kernel has discarded it
  // the program takes it again.
  EXPECT_TRUE(pty.AwaitOutput(VtRenderer::Release()));
  EXPECT_TRUE(pty.AwaitOutput(VtRenderer::Acquire()));
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WUNTRACED | WNOHANG), 0);  // not stopped
  EXPECT_TRUE(SameModes(pty.Modes(), raw));
  kill(child, SIGTERM);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(SameModes(pty.Modes(), cooked));
}

TEST(Terminal, RestoredAtExit) {
  PseudoTerminal pty;
  const termios cooked = pty.Modes();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    new Terminal(pty.Slave(), pty.Slave());  // never released by the program
    exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_TRUE(SameModes(pty.Modes(), cooked));
}

}  // namespace
}  // namespace console::terminal
