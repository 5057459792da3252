// The console the program runs in: its text screen and its keyboard, set up
// at start-up and handed back at the end. Its device is the platform's,
// chosen when the program is built: a terminal on Linux (console/terminal/),
// the Windows console on Windows (console/windows/), the terminal in the
// page in a browser (console/web/).
#pragma once

#include <functional>
#include <memory>

#include "console/keyboard.h"
#include "console/screen.h"
#include "runtime/clock.h"

namespace console {

class SystemConsole {
 public:
  // Takes over `device`: a CellDevice and a KeySource in one, with a
  // Release that hands the console back. The screen starts in colours 7 on
  // 0, the cursor as the device has it (or shown); the keyboard pauses on
  // the real clock.
  template <typename Device>
  explicit SystemConsole(std::shared_ptr<Device> device)
      : device_(device),
        release_([raw = device.get()] { raw->Release(); }),
        screen_(*device),
        keyboard_(*device, clock_) {}

  ConsoleScreen& Screen() { return screen_; }
  ConsoleKeyboard& Keyboard() { return keyboard_; }

  // Closes the keyboard and hands the console back with the modes it had
  // at start-up; the cells stay as the program left them.
  void Shutdown() { release_(); }

 private:
  std::shared_ptr<void> device_;   // behind screen and keyboard: outlives both
  std::function<void()> release_;  // the device's Release
  runtime::SystemClock clock_;     // real pauses
  ConsoleScreen screen_;
  ConsoleKeyboard keyboard_;
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
