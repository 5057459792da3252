#include <cstdio>
#include <memory>
#include <string>

#include "app/explore.h"
#include "cli/batch_commands.h"
#include "graphics/window_system.h"
#include "runtime/numeric.h"

namespace cli {

int RunExploreCommand(const ExploreCommand& command) {
  runtime::LoadFloatingPointControl();
  graphics::SelectWindowSystem(graphics::WindowSystemKind::desktop);
  app::ExploreSettings settings;
  settings.values = command.values;
  settings.side = command.side;
  settings.firstRegion = command.region;
  settings.shading = command.shading;
  app::ExploreOptions options;
  options.cachedResults = static_cast<std::size_t>(command.cachedResults);
  if (!command.known.empty()) {
    app::KnownResultsReading reading = app::ReadKnownResults(command.known);
    if (!reading.results) {
      std::fprintf(stderr, "magpend: %s\n", reading.mistake.c_str());
      return exitWrongInput;
    }
    options.known = std::make_shared<const app::KnownResults>(std::move(*reading.results));
  }
  // A line at a time, so that whoever reads the output sees each at once.
  options.say = [](const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
  };
  if (options.known) {
    options.say("known: " + std::to_string(options.known->Count()) + " results from " + command.known.string());
  }
  const int exitCode = app::RunExplorer(settings, options);
  graphics::ShutdownWindowSystem();
  return exitCode;
}

}  // namespace cli
