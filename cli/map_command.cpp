#include <cstdio>

#include "app/map_picture.h"
#include "cli/batch_commands.h"
#include "cli/interruption.h"
#include "cli/map_file.h"
#include "cli/progress_line.h"
#include "graphics/window_system.h"
#include "runtime/numeric.h"

namespace cli {

namespace {

int Stopped() {
  std::fputs("magpend: stopped; no picture written\n", stderr);
  return exitSignalBase + InterruptionSignal();
}

// Computes the picture and writes it; the window system is left to the
// caller to shut down.
int ComputeAndWrite(const MapCommand& command) {
  graphics::WindowHandle window = 0;
  if (command.gridSide == 0) {
    window = app::OpenMapPictureWindow();
    if (window == 0) {
      std::fputs("magpend: no offscreen window for the map's picture (out of memory or threads)\n", stderr);
      return exitNotDone;
    }
  }
  ProgressLine progress("map", "rows", command.endRow - command.firstRow);
  const MapFileResult result = ComputeMapFile(
      command, app::MapScan::DefaultWorkerThreads(), window, [&](int rows) { progress.After(rows); },
      [] { return InterruptionSignal() != 0; });
  progress.Clear();
  switch (result.outcome) {
    case MapFileOutcome::written: return exitDone;
    case MapFileOutcome::stopped: return Stopped();
    case MapFileOutcome::notWritten: break;
  }
  std::fprintf(stderr, "magpend: %s\n", result.problem.c_str());
  return exitNotDone;
}

}  // namespace

int RunMapCommand(const MapCommand& command) {
  // Said before the computation, which may take hours, not after it.
  for (const std::filesystem::path& file : {command.output, command.results}) {
    if (file.empty()) continue;
    if (auto problem = pictures::CheckWritable(file)) {
      std::fprintf(stderr, "magpend: %s\n", problem->c_str());
      return exitNotDone;
    }
  }
  runtime::LoadFloatingPointControl();
  CatchInterruption();
  const int exitCode = ComputeAndWrite(command);
  graphics::ShutdownWindowSystem();
  return exitCode;
}

}  // namespace cli
