// The console start-up on a terminal: the screen and the keyboard of the
// program, set up on the terminal it runs in, and their shutdown.
#pragma once

#include <memory>

#include "console/keyboard.h"
#include "console/screen.h"
#include "console/system_console.h"
#include "console/terminal/terminal.h"
#include "runtime/clock.h"

namespace console::terminal {

class TerminalConsole final : public SystemConsole {
 public:
  // Opens the terminal (raw keys, the screen's cell grid) and prepares the
  // screen: colours 7 on 0, the cursor shown as an underline. The terminal's
  // cells are not touched. None when the process has no terminal.
  static std::unique_ptr<TerminalConsole> Start();

  explicit TerminalConsole(std::unique_ptr<Terminal> terminal);

  ConsoleScreen& Screen() override { return screen_; }
  ConsoleKeyboard& Keyboard() override { return keyboard_; }

  // Closes the keyboard and hands the terminal back (modes restored); the
  // cells stay as the program left them.
  void Shutdown() override { terminal_->Release(); }

 private:
  std::unique_ptr<Terminal> terminal_;  // the device behind screen and keyboard
  runtime::SystemClock clock_;          // real pauses
  ConsoleScreen screen_;
  ConsoleKeyboard keyboard_;
};

}  // namespace console::terminal
