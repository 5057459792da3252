// The console of the process on a terminal.
#include "console/system_console.h"
#include "console/terminal/terminal.h"

namespace console {

std::unique_ptr<SystemConsole> ConsoleStartup() {
  std::shared_ptr<terminal::Terminal> terminal = terminal::Terminal::Open();
  if (!terminal) return nullptr;
  return std::make_unique<SystemConsole>(std::move(terminal));
}

const char* NoConsoleMessage() {
  return "magpend: needs a terminal on standard output or standard error\n";
}

}  // namespace console
