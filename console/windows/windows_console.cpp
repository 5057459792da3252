#include "console/windows/windows_console.h"

namespace console {

std::unique_ptr<SystemConsole> ConsoleStartup() { return windows::WindowsConsole::Start(); }

const char* NoConsoleMessage() {
  return "magpend: needs a console on standard output or standard error\n";
}

}  // namespace console

namespace console::windows {

std::unique_ptr<WindowsConsole> WindowsConsole::Start() {
  auto device = ConsoleDevice::Open();
  if (!device) return nullptr;
  return std::make_unique<WindowsConsole>(std::move(device));
}

WindowsConsole::WindowsConsole(std::unique_ptr<ConsoleDevice> device)
    : device_(std::move(device)), screen_(*device_), keyboard_(*device_, clock_) {}

}  // namespace console::windows
