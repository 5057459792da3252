#include "pictures/band.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace pictures {

std::string BandText(const BandPlace& place) {
  return "rows " + std::to_string(place.top) + "-" + std::to_string(place.bottom) + " of " +
         std::to_string(place.height);
}

std::optional<BandPlace> ReadBandText(const std::string& text) {
  BandPlace place;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "rows %d-%d of %d%n", &place.top, &place.bottom, &place.height,
                  &consumed) != 3 ||
      static_cast<std::size_t>(consumed) != text.size()) {
    return std::nullopt;
  }
  if (place.top < 0 || place.bottom <= place.top || place.height < place.bottom) return std::nullopt;
  return place;
}

namespace {

// What the header of one band file says.
struct BandFile {
  std::filesystem::path path;
  BandPlace place;
  std::int32_t width = 0;
  std::string job;
};

std::optional<FileProblem> ReadBandFile(const std::filesystem::path& path, BandFile& band) {
  const PngReader reader(path);
  if (reader.Problem()) return reader.Problem();
  const auto bandText = reader.Text(bandKey);
  const auto place = bandText ? ReadBandText(*bandText) : std::nullopt;
  const auto job = reader.Text(jobKey);
  if (!place || !job) return path.string() + " is not a band of a map";
  if (reader.Height() != place->bottom - place->top) {
    return path.string() + " does not hold the rows its band text names";
  }
  band = {path, *place, reader.Width(), *job};
  return std::nullopt;
}

// The bands sorted from the top, checked to fit together.
std::optional<FileProblem> CheckFit(std::vector<BandFile>& bands) {
  std::sort(bands.begin(), bands.end(),
            [](const BandFile& a, const BandFile& b) { return a.place.top < b.place.top; });
  const BandFile& first = bands.front();
  std::int32_t nextRow = 0;
  for (const BandFile& band : bands) {
    if (band.job != first.job || band.width != first.width ||
        band.place.height != first.place.height) {
      return band.path.string() + " and " + first.path.string() + " are bands of different maps";
    }
    if (band.place.top < nextRow) {
      return "picture rows " + std::to_string(band.place.top) + "-" + std::to_string(nextRow) +
             " (from the top) are in more than one band (" + band.path.string() + ")";
    }
    if (band.place.top > nextRow) {
      return "picture rows " + std::to_string(nextRow) + "-" + std::to_string(band.place.top) +
             " (from the top) are in no band";
    }
    nextRow = band.place.bottom;
  }
  if (nextRow != first.place.height) {
    return "picture rows " + std::to_string(nextRow) + "-" + std::to_string(first.place.height) +
           " (from the top) are in no band";
  }
  return std::nullopt;
}

}  // namespace

std::optional<FileProblem> MergeBands(std::span<const std::filesystem::path> paths,
                                      const std::filesystem::path& output) {
  if (paths.empty()) return "no band files to join";
  std::vector<BandFile> bands(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (auto problem = ReadBandFile(paths[i], bands[i])) return problem;
  }
  if (auto problem = CheckFit(bands)) return problem;

  // One band file open at a time, in row order.
  std::size_t current = 0;
  std::unique_ptr<PngReader> reader;
  std::optional<FileProblem> readProblem;
  const auto nextRow = [&](std::int32_t y, std::span<graphics::ColorRef> row) {
    if (y == bands[current].place.bottom) ++current;
    if (y == bands[current].place.top) reader = std::make_unique<PngReader>(bands[current].path);
    if (reader->ReadRow(row)) return true;
    readProblem = reader->Problem().value_or(bands[current].path.string() + " ended early");
    return false;
  };
  const BandFile& first = bands.front();
  const PngText texts[] = {{jobKey, first.job}, {bandKey, BandText({0, first.place.height, first.place.height})}};
  auto problem = WritePngFile(output, first.width, first.place.height, nextRow, texts);
  return readProblem ? readProblem : problem;
}

}  // namespace pictures
