#include "app/map_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "runtime/numeric.h"

namespace app {
namespace {

TEST(TrialStepLimitTest, EveryCountTheFormAcceptsEndsATrial) {
  struct Case {
    double n;
    std::int64_t limit;
  } cases[] = {
      {1, 1},          {2000, 2000},     {32767, 32767},        {100000, 100000},
      {-1, 65535},     {-32768, 32768},  {-40000, 32768},       {2.5, 3},
      {0.25, 1},       {-0.5, 65536},    {HUGE_VAL, 0x7FFFFFFF}, {-HUGE_VAL, 32768},
      {1e12, 0x7FFFFFFF}, {std::nan(""), 65536},
  };
  for (const Case& c : cases) EXPECT_EQ(TrialStepLimit(c.n), c.limit) << c.n;
}

TEST(TrialTest, EndsByCaptureCountOrFlyingOff) {
  runtime::LoadFloatingPointControl();
  // Next to magnet 1: caught in the first step.
  EXPECT_EQ(RunTrial(-42, 0, {5, 400, 2000, {}}).caughtBy, 1);
  EXPECT_EQ(RunTrial(-42, 0, {5, 400, 2000, {}}).steps, 1);
  // A count of 3 stops an uncaught bob after 3 steps.
  const TrialResult counted = RunTrial(-110, -110, {5, 400, 3, {}});
  EXPECT_EQ(counted.caughtBy, 0);
  EXPECT_EQ(counted.steps, 3);
  // A huge pendulum coefficient throws the bob out of the plane: it flies off.
  const TrialResult flown = RunTrial(-110, -110, {1e9, 400, 0x7FFFFFFF, {}});
  EXPECT_EQ(flown.caughtBy, 0);
  EXPECT_LT(flown.steps, 100);
}

TEST(GridTest, RowsFromTheBottomEachFromTheLeft) {
  const MapRegion whole;
  EXPECT_EQ((StartGrid{2, whole}.X(1)), 110);
  EXPECT_EQ((StartGrid{3, whole}.X(1)), 0);
  EXPECT_EQ((StartGrid{1001, whole}.X(500)), 0);
  EXPECT_EQ((StartGrid{1001, whole}.Y(1)), -109.78);
  // A region of its own: x0 + (x1 - x0) i / (side - 1), rounded once.
  const StartGrid part{5, {0, 1, -2, 2}};
  EXPECT_EQ(part.X(1), 0.25);
  EXPECT_EQ(part.Y(1), -1);
  EXPECT_EQ(part.Y(4), 2);
  EXPECT_EQ((StartGrid{4, {0, 1, 0, 1}}.X(1)), static_cast<double>(runtime::Real(1) / 3));
  // The window's map: its trials in scan order over the window's grid.
  const ScanJob map;
  EXPECT_EQ(map.TrialCount(), gridTrials);
  EXPECT_EQ(map.X(0), -110);
  EXPECT_EQ(map.Y(0), -110);
  EXPECT_EQ(map.X(1), -108);
  EXPECT_EQ(map.X(110), 110);
  EXPECT_EQ(map.Y(111), -108);
  EXPECT_EQ(map.X(gridTrials - 1), 110);
  EXPECT_EQ(map.Y(gridTrials - 1), 110);
}

// The way back from model units to columns and rows: each point at its
// own index, between two points a fraction, beyond the ends below 0 and
// above the last index.
TEST(GridTest, ColumnAndRowAtAModelPointAreTheIndexAndItsFraction) {
  const StartGrid part{5, {0, 1, -2, 2}};
  struct Case {
    double x, y;
    double column, row;
  };
  for (const Case& c : {Case{0, -2, 0, 0}, Case{0.25, -1, 1, 1}, Case{1, 2, 4, 4}, Case{0.125, 1.5, 0.5, 3.5},
                        Case{-0.25, -3, -1, -1}, Case{2, 4, 8, 6}}) {
    EXPECT_EQ(static_cast<double>(part.ColumnAt(c.x)), c.column) << c.x;
    EXPECT_EQ(static_cast<double>(part.RowAt(c.y)), c.row) << c.y;
  }
  const StartGrid whole;
  for (const int i : {0, 1, 55, 110}) {
    EXPECT_EQ(static_cast<double>(whole.ColumnAt(whole.X(i))), i);
    EXPECT_EQ(static_cast<double>(whole.RowAt(whole.Y(i))), i);
  }
}

// Any worker count hands out the very trials RunTrial computes, in scan
// order, for a band of rows of any grid.
TEST(MapScanTest, EveryWorkerCountGivesTheTrialsOfABand) {
  runtime::LoadFloatingPointControl();
  ScanJob job;
  job.grid.side = 9;
  job.firstRow = 2;
  job.endRow = 6;
  job.rules.stepLimit = 500;
  EXPECT_EQ(job.TrialCount(), 36);
  EXPECT_EQ(job.Y(0), job.grid.Y(2));
  for (unsigned workers : {1u, 3u}) {
    MapScan scan(job, workers);
    for (std::int64_t i = 0; i < job.TrialCount(); ++i) {
      const std::optional<TrialResult> result = scan.Next();
      ASSERT_TRUE(result) << workers << " workers, trial " << i;
      const TrialResult expected = RunTrial(job.X(i), job.Y(i), job.rules);
      EXPECT_EQ(result->caughtBy, expected.caughtBy) << workers << " workers, trial " << i;
      EXPECT_EQ(result->steps, expected.steps) << workers << " workers, trial " << i;
    }
    EXPECT_FALSE(scan.Next());
  }
}

// A job far larger than the workers may run ahead: they wait for room, the
// taker gets every trial. Also when the trial it waits for is far longer
// than the ones after it: with magnets of next to no strength the bob from
// (0, -110) swings for its whole step limit.
TEST(MapScanTest, AJobOfAnySizeIsHandedOutWhole) {
  runtime::LoadFloatingPointControl();
  for (const double m : {400.0, 1e-300}) {
    ScanJob job;
    job.grid.side = 41;
    job.rules.m = m;
    job.rules.stepLimit = 5000;
    MapScan scan(job, 2, 8);
    std::int64_t taken = 0;
    while (scan.Next()) ++taken;
    EXPECT_EQ(taken, 41 * 41) << m;
  }
}

// With a feeble magnet the bob released at (0, -110) swings through the
// centre for ever; the one at (-110, -110) is caught by magnet 2 at once on
// its way. A long trial is looked at after its step 32768 and then every
// 65536 steps, and can be given up there; a trial within 32767 steps never.
TEST(MapScanTest, LongTrialsAreLookedAtAndCanBeGivenUp) {
  runtime::LoadFloatingPointControl();
  ScanJob job;
  job.grid.side = 3;
  job.endRow = 1;
  job.rules.m = 1e-9;
  for (unsigned workers : {1u, 2u}) {
    job.rules.stepLimit = longTrialSteps;
    {
      MapScan scan(job, workers);
      int looks = 0;
      const auto countLooks = [&] { ++looks; return LongTrialDecision::goOn; };
      EXPECT_NE(scan.Next(countLooks)->caughtBy, 0);
      EXPECT_EQ(scan.Next(countLooks)->steps, longTrialSteps);
      EXPECT_EQ(looks, 0);
    }
    job.rules.stepLimit = 0x7FFFFFFF;
    MapScan scan(job, workers);
    int looks = 0;
    const auto giveUpAtTheThird = [&] {
      return ++looks == 3 ? LongTrialDecision::abandon : LongTrialDecision::goOn;
    };
    EXPECT_TRUE(scan.Next(giveUpAtTheThird));
    EXPECT_FALSE(scan.Next(giveUpAtTheThird));
    EXPECT_EQ(looks, 3) << workers << " workers";
    EXPECT_FALSE(scan.Next());
  }
}

}  // namespace
}  // namespace app
