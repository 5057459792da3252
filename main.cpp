// The process frame: start up, run the application once, shut down.
#include <cstdio>
#include <cstdint>
#include <memory>
#include <new>

#include "app/application.h"
#include "console/terminal/terminal_console.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace {

// The main thread's record of the system's services. It holds nothing the
// program reads yet; the start-up insists on it so that a process that can't
// even set up its per-thread state ends before the form, with exit code 255.
struct ThreadState {
  std::uintptr_t currentTarget = 0;  // the drawing area this thread draws on; 0 for none
};

constexpr int exitNoTerminal = 1;
constexpr int exitNoThreadState = 255;
constexpr int showDefault = 10;  // how windows are shown when nobody asked otherwise

// The command line without the program's name: the arguments joined by
// single spaces (the application ignores it).
runtime::Text ArgumentText(int argc, char** argv) {
  runtime::Text text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  // Start up.
  auto console = console::terminal::TerminalConsole::Start();
  if (!console) {
    std::fputs("magpend: needs a terminal on standard output or standard error\n", stderr);
    return exitNoTerminal;
  }
  runtime::LoadFloatingPointControl();
  const std::unique_ptr<ThreadState> mainThreadState(new (std::nothrow) ThreadState{});
  if (!mainThreadState) {
    console->Shutdown();
    return exitNoThreadState;
  }
  const app::StartArguments arguments{ArgumentText(argc, argv), showDefault};
  app::ConsoleServices services{console->Screen(), console->Keyboard()};
  console->Screen().ResetOutputState();

  // Run.
  const std::int32_t exitCode = app::RunApplication(services, arguments);

  // Shut down.
  console->Shutdown();
  return exitCode;
}
