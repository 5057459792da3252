#include "cli/map_file.h"

#include <cstdio>
#include <new>
#include <vector>

#include "app/known_results.h"
#include "app/number_text.h"
#include "pictures/band.h"
#include "pictures/png_file.h"

namespace cli {

app::MapPictureJob MapJobOf(const MapCommand& command) {
  app::MapPictureJob job;
  job.kind = command.gridSide == 0 ? app::MapPictureKind::window : app::MapPictureKind::pixelPerPoint;
  job.scan.grid.side = command.gridSide == 0 ? app::gridSide : command.gridSide;
  job.scan.grid.height = command.gridHeight;
  job.scan.grid.region = command.region;
  job.shading = command.shading;
  job.scan.firstRow = command.firstRow;
  job.scan.endRow = command.endRow;
  job.scan.rules = app::RulesOf(command.values);
  job.markers = command.markers;
  return job;
}

// The default region, no shading and a square grid add nothing, so bands
// made before any of them existed still join with today's.
std::string MapJobText(const app::MapPictureJob& job) {
  char text[400];
  std::snprintf(text, sizeof text, "start-point map: g %.17g, m %.17g, %lld steps, %s %d",
                job.scan.rules.g, job.scan.rules.m, static_cast<long long>(job.scan.rules.stepLimit),
                job.kind == app::MapPictureKind::window ? "window of grid" : "grid",
                job.scan.grid.side);
  std::string identity = text;
  if (job.scan.grid.height != 0) identity += "x" + std::to_string(job.scan.grid.height);
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

MapFileResult ComputeMapFile(const MapCommand& command, unsigned workerThreads, graphics::WindowHandle window,
                             const std::function<void(int rowsDone)>& afterRow,
                             const std::function<bool()>& stopRequested) {
  const app::MapPictureJob job = MapJobOf(command);
  std::optional<app::MapPicture> picture;
  std::vector<app::TrialResult> results;
  try {
    app::MapPictureObserver observer{afterRow, stopRequested, {}};
    if (!command.results.empty()) {
      results.reserve(static_cast<std::size_t>(job.scan.TrialCount()));
      observer.eachResult = [&](const app::TrialResult& result) { results.push_back(result); };
    }
    picture = app::ComputeMapPicture(job, workerThreads, observer, window);
  } catch (const std::bad_alloc&) {
    return {MapFileOutcome::notWritten, "not enough memory for this map"};
  }
  if (!picture) return {MapFileOutcome::stopped, {}};

  const pictures::RowSource rows = picture->Rows();
  const auto rowsUntilStopped = [&](std::int32_t y, std::span<graphics::ColorRef> row) {
    return !stopRequested() && rows(y, row);
  };
  const pictures::BandPlace place = picture->Place();
  const pictures::PngText texts[] = {{pictures::jobKey, MapJobText(job)},
                                     {pictures::bandKey, pictures::BandText(place)}};
  const auto problem = pictures::WritePngFile(command.output, picture->Width(), place.bottom - place.top,
                                              rowsUntilStopped, texts);
  if (stopRequested()) return {MapFileOutcome::stopped, {}};
  if (problem) return {MapFileOutcome::notWritten, *problem};
  if (!command.results.empty()) {
    const app::KnownResults known(job.scan.grid, job.scan.firstRow, job.scan.EndRow(), job.scan.rules,
                                  std::move(results));
    if (auto failed = pictures::WriteWholeFile(command.results, known.FileBytes())) {
      return {MapFileOutcome::notWritten, *failed};
    }
  }
  return {};
}

bool HoldsMapPicture(const std::filesystem::path& path, const MapCommand& command) {
  const app::MapPictureJob job = MapJobOf(command);
  pictures::PngReader reader(path);
  if (reader.Problem() || reader.Text(pictures::jobKey) != MapJobText(job)) return false;
  const std::int32_t height = job.scan.grid.Height();
  if (reader.Text(pictures::bandKey) != pictures::BandText({0, height, height}) ||
      reader.Width() != job.scan.grid.Width() || reader.Height() != height) {
    return false;
  }
  std::vector<graphics::ColorRef> row(static_cast<std::size_t>(reader.Width()));
  std::int32_t rowsRead = 0;
  while (reader.ReadRow(row)) ++rowsRead;
  return !reader.Problem() && rowsRead == height;
}

}  // namespace cli
