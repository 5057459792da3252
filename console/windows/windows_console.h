// The console start-up on Windows: the screen and the keyboard of the
// program, set up on the console it runs in, and their shutdown.
#pragma once

#include <memory>

#include "console/keyboard.h"
#include "console/screen.h"
#include "console/system_console.h"
#include "console/windows/console_device.h"
#include "runtime/clock.h"

namespace console::windows {

class WindowsConsole final : public SystemConsole {
 public:
  // Opens the console (raw keys from "CONIN$", code page 850 for the
  // screen) and prepares the screen: colours 7 on 0, the cursor as the
  // console has it. The cells are not touched. None when the process has no
  // console on standard output or standard error.
  static std::unique_ptr<WindowsConsole> Start();

  explicit WindowsConsole(std::unique_ptr<ConsoleDevice> device);

  ConsoleScreen& Screen() override { return screen_; }
  ConsoleKeyboard& Keyboard() override { return keyboard_; }

  // Hands the console back with its modes; the cells stay.
  void Shutdown() override { device_->Release(); }

 private:
  std::unique_ptr<ConsoleDevice> device_;  // behind screen and keyboard
  runtime::SystemClock clock_;             // real pauses, precise to the millisecond
  ConsoleScreen screen_;
  ConsoleKeyboard keyboard_;
};

}  // namespace console::windows
