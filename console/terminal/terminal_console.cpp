#include "console/terminal/terminal_console.h"

namespace console {

std::unique_ptr<SystemConsole> ConsoleStartup() { return terminal::TerminalConsole::Start(); }

const char* NoConsoleMessage() {
  return "magpend: needs a terminal on standard output or standard error\n";
}

}  // namespace console

namespace console::terminal {

std::unique_ptr<TerminalConsole> TerminalConsole::Start() {
  auto terminal = Terminal::Open();
  if (!terminal) return nullptr;
  return std::make_unique<TerminalConsole>(std::move(terminal));
}

TerminalConsole::TerminalConsole(std::unique_ptr<Terminal> terminal)
    : terminal_(std::move(terminal)), screen_(*terminal_), keyboard_(*terminal_, clock_) {}

}  // namespace console::terminal
