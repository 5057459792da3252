#include "app/known_results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

#include "app/map_picture.h"
#include "runtime/numeric.h"

namespace app {
namespace {

// A small map's results, as `magpend map --results` keeps them.
KnownResults SmallMap(const StartGrid& grid, int firstRow, int endRow, const TrialRules& rules) {
  MapPictureJob job;
  job.kind = MapPictureKind::pixelPerPoint;
  job.scan.grid = grid;
  job.scan.firstRow = firstRow;
  job.scan.endRow = endRow;
  job.scan.rules = rules;
  std::vector<TrialResult> results;
  EXPECT_TRUE(ComputeMapPicture(job, 2, {{}, {}, [&](const TrialResult& r) { results.push_back(r); }}));
  return {grid, firstRow, endRow, rules, std::move(results)};
}

std::filesystem::path Written(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

class KnownResultsTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::LoadFloatingPointControl(); }
};

// A file read back gives every point's result under its rules, and nothing
// for another point (by one bit) or other rules.
TEST_F(KnownResultsTest, AFileReadBackHoldsEachPointsResult) {
  TrialRules rules{5, 300, 300, {}};
  rules.pendulum.magnets = {{-40, 0, 1}, {30, 30, 0.5}};
  rules.pendulum.friction = 0.125;
  const StartGrid grid{24, {-0.0, 33.5, -40, 20.25}, 12};
  const KnownResults written = SmallMap(grid, 3, 11, rules);
  const KnownResultsReading read = ReadKnownResults(Written("band.results", written.FileBytes()), 1000);
  ASSERT_TRUE(read.results) << read.mistake;
  EXPECT_EQ(read.results->Count(), 24 * 8);
  for (int row = 0; row < grid.Height(); ++row) {
    for (int column = 0; column < grid.Width(); ++column) {
      const auto found = read.results->Find(rules, grid.X(column), grid.Y(row));
      ASSERT_EQ(found.has_value(), row >= 3 && row < 11) << column << " " << row;
      if (!found) continue;
      const TrialResult trial = RunTrial(grid.X(column), grid.Y(row), rules);
      EXPECT_EQ(found->caughtBy, trial.caughtBy);
      EXPECT_EQ(found->steps, trial.steps);
    }
  }
  // Column 0 is -0 + 0 = +0: -0 is another start point.
  ASSERT_FALSE(std::signbit(grid.X(0)));
  EXPECT_FALSE(read.results->Find(rules, -0.0, grid.Y(3)));
  EXPECT_FALSE(read.results->Find(rules, std::nextafter(grid.X(5), 99.0), grid.Y(3)));
  EXPECT_FALSE(read.results->Find(rules, (grid.X(5) + grid.X(6)) / 2, grid.Y(3)));
  TrialRules other = rules;
  other.pendulum.friction = 0.25;
  EXPECT_FALSE(read.results->Find(other, grid.X(5), grid.Y(3)));
  EXPECT_FALSE(read.results->Find(TrialRules{}, grid.X(5), grid.Y(3)));
}

// A file that is not whole, not one of results, or not this program's
// results is refused with a line that names it.
TEST_F(KnownResultsTest, AWrongFileIsRefused) {
  const StartGrid grid{10, {-50, 50, -50, 50}};
  const std::string good = SmallMap(grid, 0, 10, {5, 400, 400, {}}).FileBytes();
  const std::size_t data = good.find("\n\n") + 2;
  const auto changed = [&](const std::function<void(std::string&)>& change) {
    std::string bytes = good;
    change(bytes);
    return bytes;
  };
  const auto replaced = [&](const std::string& from, const std::string& to) {
    return changed([&](std::string& b) { b.replace(b.find(from), from.size(), to); });
  };
  const struct {
    const char* what;
    std::string bytes;
    const char* mistake;
  } cases[] = {
      {"empty", "", "not a file of trial results"},
      {"a picture", "\x89PNG\r\n", "not a file of trial results"},
      {"cut short", good.substr(0, good.size() - 1), "holds 99 results where its grid has 100"},
      {"one too many", good + std::string(5, '\0'), "holds 101 results"},
      {"a line missing", replaced("g 5\n", ""), "is not readable"},
      {"a region backwards", replaced("region -50 50", "region 50 -50"), "is not readable"},
      {"rows beyond the grid", replaced("rows 0 10", "rows 0 11"), "is not readable"},
      {"a grid too large", replaced("grid 10 10", "grid 10 100000"), "is not readable"},
      {"a magnet out of range", replaced("magnets -42.42640687119285,0", "magnets -242,0"), "is not readable"},
      {"a step count out of range", replaced("steps 400", "steps x"), "is not readable"},
      {"a fourth magnet caught", changed([&](std::string& b) { b[data] = 4; }), "no trial of its values can have"},
      {"more steps than allowed", changed([&](std::string& b) { b[data + 2] = 2; }), "no trial of its values"},
      {"another result", changed([&](std::string& b) { b[data + 1] ^= 1; }), "is not this program's"},
      {"other values", replaced("m 400", "m 401"), "is not this program's"},
  };
  for (const auto& c : cases) {
    const KnownResultsReading read = ReadKnownResults(Written("wrong.results", c.bytes), 100);
    EXPECT_FALSE(read.results) << c.what;
    EXPECT_NE(read.mistake.find("wrong.results: "), std::string::npos) << c.what << ": " << read.mistake;
    EXPECT_NE(read.mistake.find(c.mistake), std::string::npos) << c.what << ": " << read.mistake;
  }
  EXPECT_EQ(ReadKnownResults(std::filesystem::path(::testing::TempDir()) / "none").mistake,
            (std::filesystem::path(::testing::TempDir()) / "none").string() + ": cannot be read");
}

}  // namespace
}  // namespace app
