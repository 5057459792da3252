#include "app/known_results.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/number_text.h"
#include "app/pendulum.h"
#include "runtime/software_real.h"  // runtime::BitCast (the page's standard library has no std::bit_cast)

namespace app {

namespace {

constexpr const char* firstLine = "magpend trial results";
constexpr std::size_t bytesPerResult = 5;
// Larger grids than any command makes are refused before any memory is taken.
constexpr std::int64_t largestSide = 65536;

std::string Line(const std::string& key, const std::string& value) { return key + " " + value + "\n"; }

std::string Header(const StartGrid& grid, int firstRow, int endRow, const TrialRules& rules) {
  const MapRegion& r = grid.region;
  return std::string(firstLine) + "\n" +
         Line("grid", std::to_string(grid.Width()) + " " + std::to_string(grid.Height())) +
         Line("region", ShortestText(r.x0) + " " + ShortestText(r.x1) + " " + ShortestText(r.y0) + " " +
                            ShortestText(r.y1)) +
         Line("rows", std::to_string(firstRow) + " " + std::to_string(endRow)) + Line("g", ShortestText(rules.g)) +
         Line("m", ShortestText(rules.m)) + Line("steps", std::to_string(rules.stepLimit)) +
         Line("magnets", MagnetsText(rules.pendulum.magnets)) + Line("height", ShortestText(rules.pendulum.height)) +
         Line("friction", ShortestText(rules.pendulum.friction)) +
         Line("capture", ShortestText(rules.pendulum.captureRadius)) + "\n";
}

// The header's lines, each its key's words, read in the order written.
class HeaderReader {
 public:
  explicit HeaderReader(const std::string& header) : lines_(header) {}

  // The words after `key` on the next line; nothing if that line is another's.
  std::optional<std::vector<std::string>> Words(const std::string& key, std::size_t count) {
    std::string line;
    if (!std::getline(lines_, line)) return std::nullopt;
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != key) return std::nullopt;
    std::vector<std::string> values;
    while (words >> word) values.push_back(word);
    if (values.size() != count) return std::nullopt;
    return values;
  }
  std::optional<double> Number(const std::string& key) {
    const auto words = Words(key, 1);
    return words ? FiniteNumber((*words)[0]) : std::nullopt;
  }

 private:
  std::istringstream lines_;
};

std::optional<std::int64_t> WholeNumber(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct FileDescription {
  StartGrid grid;
  int firstRow = 0;
  int endRow = 0;
  TrialRules rules;
};

// The grid's lines of the header, or nothing when one is wrong or out of range.
bool ReadGrid(HeaderReader& reader, FileDescription& d) {
  const auto size = reader.Words("grid", 2);
  const auto region = reader.Words("region", 4);
  const auto rows = reader.Words("rows", 2);
  if (!size || !region || !rows) return false;
  const auto width = WholeNumber((*size)[0]);
  const auto height = WholeNumber((*size)[1]);
  const auto first = WholeNumber((*rows)[0]);
  const auto end = WholeNumber((*rows)[1]);
  if (!width || !height || !first || !end || *width < 2 || *height < 2 || *width > largestSide ||
      *height > largestSide || *first < 0 || *first >= *end || *end > *height) {
    return false;
  }
  d.grid.side = static_cast<int>(*width);
  d.grid.height = static_cast<int>(*height);
  d.firstRow = static_cast<int>(*first);
  d.endRow = static_cast<int>(*end);
  double* bounds[4] = {&d.grid.region.x0, &d.grid.region.x1, &d.grid.region.y0, &d.grid.region.y1};
  for (std::size_t i = 0; i < 4; ++i) {
    const auto bound = FiniteNumber((*region)[i]);
    if (!bound) return false;
    *bounds[i] = *bound;
  }
  return d.grid.region.x0 < d.grid.region.x1 && d.grid.region.y0 < d.grid.region.y1;
}

// The values' lines, checked as the command line checks them.
bool ReadRules(HeaderReader& reader, TrialRules& rules) {
  const auto g = reader.Number("g");
  const auto m = reader.Number("m");
  const auto steps = reader.Words("steps", 1);
  // 0 (refused below) when missing or not a whole number.
  const std::int64_t stepLimit = steps ? WholeNumber((*steps)[0]).value_or(0) : 0;
  const auto magnets = reader.Words("magnets", 1);
  const MagnetReading reading = ReadMagnets(magnets ? (*magnets)[0] : "");
  const auto height = reader.Number("height");
  const auto friction = reader.Number("friction");
  const auto capture = reader.Number("capture");
  if (!g || !m || stepLimit < 1 || stepLimit > TrialStepLimit(INFINITY) ||
      !reading.mistake.empty() || !height || !friction || !capture) {
    return false;
  }
  rules = {*g, *m, stepLimit, {reading.magnets, *height, *friction, *capture}};
  return PendulumMistake(rules.pendulum).empty();
}

std::optional<FileDescription> ReadHeader(const std::string& header) {
  HeaderReader reader(header);
  FileDescription d;
  if (!reader.Words("magpend", 2) || !ReadGrid(reader, d) || !ReadRules(reader, d.rules)) return std::nullopt;
  return d;
}

std::uint32_t LittleEndian32(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

}  // namespace

KnownResults::KnownResults(const StartGrid& grid, int firstRow, int endRow, const TrialRules& rules,
                           std::vector<TrialResult> results)
    : grid_(grid), firstRow_(firstRow), endRow_(endRow), rules_(rules), results_(std::move(results)) {
  for (int column = 0; column < grid_.Width(); ++column) columnX_.push_back(grid_.X(column));
  for (int row = firstRow_; row < endRow_; ++row) rowY_.push_back(grid_.Y(row));
}

std::optional<std::size_t> KnownResults::IndexOf(double x, double y) const {
  const std::int64_t column = grid_.NearestColumn(x);
  const std::int64_t row = grid_.NearestRow(y) - firstRow_;
  if (column < 0 || column >= grid_.Width() || row < 0 || row >= endRow_ - firstRow_) return std::nullopt;
  const auto c = static_cast<std::size_t>(column);
  const auto r = static_cast<std::size_t>(row);
  // Bit for bit: -0 and +0 are two start points.
  if (runtime::BitCast<std::uint64_t>(columnX_[c]) != runtime::BitCast<std::uint64_t>(x) ||
      runtime::BitCast<std::uint64_t>(rowY_[r]) != runtime::BitCast<std::uint64_t>(y)) {
    return std::nullopt;
  }
  return r * columnX_.size() + c;
}

std::optional<TrialResult> KnownResults::Find(const TrialRules& rules, double x, double y) const {
  if (rules != rules_) return std::nullopt;
  const std::optional<std::size_t> index = IndexOf(x, y);
  if (!index || *index >= results_.size()) return std::nullopt;
  return results_[*index];
}

std::string KnownResults::FileBytes() const {
  std::string bytes = Header(grid_, firstRow_, endRow_, rules_);
  bytes.reserve(bytes.size() + results_.size() * bytesPerResult);
  for (const TrialResult& result : results_) {
    bytes.push_back(static_cast<char>(result.caughtBy));
    const auto steps = static_cast<std::uint32_t>(result.steps);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(steps >> (8 * i) & 0xFF));
  }
  return bytes;
}

namespace {

// The records' results, or nothing when one cannot be a trial's of its values.
std::optional<std::vector<TrialResult>> ReadRecords(const char* record, std::size_t count, const TrialRules& rules) {
  std::vector<TrialResult> results(count);
  for (TrialResult& result : results) {
    result.caughtBy = static_cast<std::int16_t>(static_cast<unsigned char>(record[0]));
    result.steps = LittleEndian32(record + 1);
    record += bytesPerResult;
    if (static_cast<std::size_t>(result.caughtBy) > rules.pendulum.magnets.size() || result.steps > rules.stepLimit) {
      return std::nullopt;
    }
  }
  return results;
}

// The first of `sampleCount` results spread over the file (long trials left
// out) that this program computes otherwise, in words; empty when all agree.
std::string SampleDisagreement(const FileDescription& d, const std::vector<TrialResult>& results, int sampleCount) {
  const auto width = static_cast<std::size_t>(d.grid.Width());
  for (int i = 0; i < sampleCount; ++i) {
    const std::size_t index = static_cast<std::size_t>(i) * results.size() / static_cast<std::size_t>(sampleCount);
    const TrialResult& kept = results[index];
    if (kept.steps > longTrialSteps) continue;
    const double x = d.grid.X(static_cast<int>(index % width));
    const double y = d.grid.Y(static_cast<int>(index / width) + d.firstRow);
    const TrialResult computed = RunTrial(x, y, d.rules);
    if (computed.caughtBy != kept.caughtBy || computed.steps != kept.steps) {
      return "its result for the start point " + ShortestText(x) + " " + ShortestText(y) +
             " is not this program's (magnet " + std::to_string(computed.caughtBy) + " after " +
             std::to_string(computed.steps) + " steps)";
    }
  }
  return {};
}

}  // namespace

KnownResultsReading ReadKnownResults(const std::filesystem::path& path, int sampleCount) {
  const std::string name = path.string() + ": ";
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file.is_open() || file.bad()) return {std::nullopt, name + "cannot be read"};
  const std::size_t headerEnd = bytes.find("\n\n");
  if (!bytes.starts_with(std::string(firstLine) + "\n") || headerEnd == std::string::npos) {
    return {std::nullopt, name + "not a file of trial results (magpend map --results writes them)"};
  }
  const std::optional<FileDescription> d = ReadHeader(bytes.substr(0, headerEnd + 1));
  if (!d) return {std::nullopt, name + "its description of the grid and the values is not readable"};
  const std::size_t count = static_cast<std::size_t>(d->grid.Width()) * static_cast<std::size_t>(d->endRow - d->firstRow);
  const std::size_t recordBytes = bytes.size() - (headerEnd + 2);
  if (recordBytes != count * bytesPerResult) {
    return {std::nullopt, name + "holds " + std::to_string(recordBytes / bytesPerResult) + " results where its grid has " +
                              std::to_string(count) + " (cut short?)"};
  }
  std::optional<std::vector<TrialResult>> results = ReadRecords(bytes.data() + headerEnd + 2, count, d->rules);
  if (!results) return {std::nullopt, name + "holds a result no trial of its values can have"};
  if (std::string disagreement = SampleDisagreement(*d, *results, sampleCount); !disagreement.empty()) {
    return {std::nullopt, name + disagreement};
  }
  return {KnownResults(d->grid, d->firstRow, d->endRow, d->rules, std::move(*results)), {}};
}

}  // namespace app
