// The process frame: read the command line; then either start up, run the
// application once and shut down, or run one of the commands that make
// pictures without the form.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "console/system_console.h"
#include "cli/batch_commands.h"
#include "cli/command_line.h"
#include "cli/exit_codes.h"
#include "cli/saved_pictures.h"
#include "graphics/window_system.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace {

// The form and the two windows; with a picture folder, their pictures kept.
int RunInteractive(std::optional<cli::PictureFolder> pictures) {
  // Start up.
  auto console = console::ConsoleStartup();
  if (!console) {
    std::fputs(console::NoConsoleMessage(), stderr);
    return cli::exitNotDone;
  }
  runtime::LoadFloatingPointControl();
  graphics::SelectWindowSystem(graphics::WindowSystemKind::desktop);
  app::StartArguments arguments;
  if (pictures) {
    arguments.keepPicture = [&](const runtime::Text& caption, const app::RunPicture& picture) {
      pictures->Save(caption, picture);
    };
  }
  app::ConsoleServices services{console->Screen(), console->Keyboard()};

  // Run.
  app::RunApplication(services, arguments);

  // Shut down. A window still open (the map left with Escape) vanishes here,
  // as it would at the end of the process.
  graphics::ShutdownWindowSystem();
  console->Shutdown();

  // Told only now: until the end the form covers the terminal.
  if (!pictures || pictures->Problems().empty()) return 0;
  for (const std::string& problem : pictures->Problems()) {
    std::fprintf(stderr, "magpend: %s\n", problem.c_str());
  }
  return cli::exitNotDone;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const cli::CommandLineReading reading = cli::ReadCommandLine(arguments);
  if (!reading.mistake.empty()) {
    std::fprintf(stderr, "magpend: %s\n", reading.mistake.c_str());
    return cli::exitWrongInput;
  }
  const cli::CommandLine& line = reading.commandLine;
  switch (line.command) {
    case cli::Command::help: std::fputs(cli::UsageText().c_str(), stdout); return 0;
    case cli::Command::version: std::fputs(cli::VersionText().c_str(), stdout); return 0;
    case cli::Command::printConfig: std::fputs(line.configText.c_str(), stdout); return 0;
    case cli::Command::map: return cli::RunMapCommand(line.map);
    case cli::Command::merge: return cli::RunMergeCommand(line.bands, line.mergeOutput);
    case cli::Command::explore: return cli::RunExploreCommand(line.explore);
    case cli::Command::film: return cli::RunFilmCommand(line.film);
    case cli::Command::interactive: break;
  }
  std::optional<cli::PictureFolder> pictures;
  if (line.saveFolder) {
    if (auto problem = cli::PictureFolder::Prepare(*line.saveFolder)) {
      std::fprintf(stderr, "magpend: %s\n", problem->c_str());
      return cli::exitWrongInput;
    }
    pictures.emplace(*line.saveFolder);
  }
  return RunInteractive(std::move(pictures));
}
