// The process frame: start up, run the application once, shut down.
#include <cstdio>
#include <cstdint>

#include "app/application.h"
#include "console/system_console.h"
#include "graphics/window_system.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace {

constexpr int exitNoConsole = 1;
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
  auto console = console::ConsoleStartup();
  if (!console) {
    std::fputs(console::NoConsoleMessage(), stderr);
    return exitNoConsole;
  }
  runtime::LoadFloatingPointControl();
  graphics::SelectWindowSystem(graphics::WindowSystemKind::desktop);
  const app::StartArguments arguments{ArgumentText(argc, argv), showDefault};
  app::ConsoleServices services{console->Screen(), console->Keyboard()};
  console->Screen().ResetOutputState();

  // Run.
  const std::int32_t exitCode = app::RunApplication(services, arguments);

  // Shut down. A window still open (the map left with Escape) vanishes here,
  // as it would at the end of the process.
  graphics::ShutdownWindowSystem();
  console->Shutdown();
  return exitCode;
}
