#include <chrono>
#include <cstdio>
#include <new>
#include <string>

#include "app/map_picture.h"
#include "app/number_text.h"
#include "cli/batch_commands.h"
#include "cli/interruption.h"
#include "graphics/window_system.h"
#include "runtime/numeric.h"
#include "runtime/standard_streams.h"

namespace cli {

namespace {

constexpr int exitNotWritten = 1;
constexpr int exitSignalBase = 128;  // a command stopped by signal s ends with 128 + s

// One line on a terminal, rewritten in place: rows done, share, time left.
class ProgressLine {
 public:
  ProgressLine(int rows, bool shown)
      : rows_(rows), shown_(shown), start_(Clock::now()), lastShown_(start_) {}

  void AfterRow(int rowsDone) {
    const Clock::time_point now = Clock::now();
    if (!shown_ || (now - lastShown_ < refresh && rowsDone < rows_)) return;
    lastShown_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double left = elapsed * (rows_ - rowsDone) / rowsDone;
    std::fprintf(stderr, "\rmagpend map: %d of %d rows, %3d%%, about %s left   ", rowsDone, rows_,
                 100 * rowsDone / rows_, Duration(left).c_str());
    std::fflush(stderr);
  }

  // Takes the line away again.
  void Clear() {
    if (!shown_) return;
    std::fprintf(stderr, "\r%70s\r", "");
    std::fflush(stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds refresh{250};

  static std::string Duration(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    if (whole < 60) return std::to_string(whole) + " s";
    if (whole < 3600) return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
    return std::to_string(whole / 3600) + " h " + std::to_string(whole / 60 % 60) + " min";
  }

  const int rows_;
  const bool shown_;
  const Clock::time_point start_;
  Clock::time_point lastShown_;
};

app::MapPictureJob JobOf(const MapCommand& command) {
  app::MapPictureJob job;
  job.kind = command.gridSide == 0 ? app::MapPictureKind::window : app::MapPictureKind::pixelPerPoint;
  job.scan.grid.side = command.gridSide == 0 ? app::gridSide : command.gridSide;
  job.scan.grid.region = command.region;
  job.shading = command.shading;
  job.scan.firstRow = command.firstRow;
  job.scan.endRow = command.endRow;
  job.scan.rules.g = command.g;
  job.scan.rules.m = command.m;
  job.scan.rules.stepLimit = app::TrialStepLimit(command.n);
  job.scan.rules.pendulum = command.pendulum;
  job.markers = command.markers;
  return job;
}

// What identifies a map, so that only bands of the same map are joined.
// The default region and no shading add nothing, so bands made before
// either existed still join with today's.
std::string JobText(const app::MapPictureJob& job) {
  char text[400];
  std::snprintf(text, sizeof text, "start-point map: g %.17g, m %.17g, %lld steps, %s %d",
                job.scan.rules.g, job.scan.rules.m, static_cast<long long>(job.scan.rules.stepLimit),
                job.kind == app::MapPictureKind::window ? "window of grid" : "grid",
                job.scan.grid.side);
  std::string identity = text;
  const app::MapRegion& region = job.scan.grid.region;
  if (region != app::MapRegion{}) {
    std::snprintf(text, sizeof text, ", region %.17g:%.17g:%.17g:%.17g", region.x0, region.x1, region.y0, region.y1);
    identity += text;
  }
  if (job.shading == app::Shading::bySteps) identity += ", shaded";
  if (job.markers) identity += ", markers";
  const app::Pendulum& pendulum = job.scan.rules.pendulum;
  if (pendulum != app::Pendulum{}) {
    identity += ", magnets " + app::MagnetsText(pendulum.magnets) + ", height " + app::ShortestText(pendulum.height) +
                ", friction " + app::ShortestText(pendulum.friction) + ", capture " +
                app::ShortestText(pendulum.captureRadius);
  }
  return identity;
}

int Stopped() {
  std::fputs("magpend: stopped; no picture written\n", stderr);
  return exitSignalBase + InterruptionSignal();
}

// Computes the picture and writes it; the window system is left to the
// caller to shut down.
int ComputeAndWrite(const app::MapPictureJob& job, const MapCommand& command) {
  graphics::WindowHandle window = 0;
  if (job.kind == app::MapPictureKind::window) {
    window = app::OpenMapPictureWindow();
    if (window == 0) {
      std::fputs("magpend: no offscreen window for the map's picture (out of memory or threads)\n", stderr);
      return exitNotWritten;
    }
  }
  ProgressLine progress(command.endRow - command.firstRow, runtime::StandardErrorIsTerminal());
  const auto interrupted = [] { return InterruptionSignal() != 0; };
  std::optional<app::MapPicture> picture;
  try {
    picture = app::ComputeMapPicture(job, app::MapScan::DefaultWorkerThreads(),
                                     {[&](int rows) { progress.AfterRow(rows); }, interrupted}, window);
  } catch (const std::bad_alloc&) {
    progress.Clear();
    std::fputs("magpend: not enough memory for this map\n", stderr);
    return exitNotWritten;
  }
  progress.Clear();
  if (!picture) return Stopped();

  const pictures::RowSource rows = picture->Rows();
  const auto rowsUntilInterrupted = [&](std::int32_t y, std::span<graphics::ColorRef> row) {
    return !interrupted() && rows(y, row);
  };
  const pictures::BandPlace place = picture->Place();
  const pictures::PngText texts[] = {{pictures::jobKey, JobText(job)},
                                     {pictures::bandKey, pictures::BandText(place)}};
  const auto problem = pictures::WritePngFile(command.output, picture->Width(),
                                              place.bottom - place.top, rowsUntilInterrupted, texts);
  if (interrupted()) return Stopped();
  if (problem) {
    std::fprintf(stderr, "magpend: %s\n", problem->c_str());
    return exitNotWritten;
  }
  return 0;
}

}  // namespace

int RunMapCommand(const MapCommand& command) {
  // Said before the computation, which may take hours, not after it.
  if (auto problem = pictures::CheckWritable(command.output)) {
    std::fprintf(stderr, "magpend: %s\n", problem->c_str());
    return exitNotWritten;
  }
  runtime::LoadFloatingPointControl();
  CatchInterruption();
  const int exitCode = ComputeAndWrite(JobOf(command), command);
  graphics::ShutdownWindowSystem();
  return exitCode;
}

}  // namespace cli
