// The console of the process on Windows.
#include "console/system_console.h"
#include "console/windows/console_device.h"

namespace console {

std::unique_ptr<SystemConsole> ConsoleStartup() {
  std::shared_ptr<windows::ConsoleDevice> device = windows::ConsoleDevice::Open();
  if (!device) return nullptr;
  return std::make_unique<SystemConsole>(std::move(device));
}

const char* NoConsoleMessage() {
  return "magpend: needs a console on standard output or standard error\n";
}

}  // namespace console
