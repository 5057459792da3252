// The console the program runs in: its text screen and its keyboard, set up
// at start-up and handed back at the end. One implementation per platform,
// chosen when the program is built: a terminal on Linux (console/terminal/),
// the Windows console on Windows (console/windows/), the terminal in the
// page in a browser (console/web/).
#pragma once

#include <memory>

#include "console/keyboard.h"
#include "console/screen.h"

namespace console {

class SystemConsole {
 public:
  virtual ~SystemConsole() = default;

  virtual ConsoleScreen& Screen() = 0;
  virtual ConsoleKeyboard& Keyboard() = 0;

  // Closes the keyboard and hands the console back with the modes it had
  // at start-up; the cells stay as the program left them.
  virtual void Shutdown() = 0;
};

// Opens the console of the process and prepares its screen (colours 7 on 0,
// the cursor shown; the cells not touched) and its keyboard (raw keys, read
// from the console even when standard input is redirected). None when
// neither standard output nor standard error is on a console.
std::unique_ptr<SystemConsole> ConsoleStartup();

// What the program says, in one line on standard error, when ConsoleStartup
// found no console.
const char* NoConsoleMessage();

}  // namespace console
