#include "app/view_lattice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "runtime/numeric.h"

namespace app {
namespace {

class ViewLatticeTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::LoadFloatingPointControl(); }
};

// Views of every kind the explorer makes: the first views of a few sides and
// regions, and views deep down a corner.
std::vector<LatticeView> SomeViews() {
  std::vector<LatticeView> views = {LatticeAround({}, 600), LatticeAround({}, 48), LatticeAround({}, 2),
                                    LatticeAround({-1e-3, 0.5, 2, 2.25}, 101), LatticeAround({}, 2048)};
  LatticeView deep = views[0];
  for (int i = 0; i < 40; ++i) deep = *ZoomedView(deep, 17, 400, 1);
  views.push_back(deep);
  return views;
}

// The start grid's formula gives each view's lattice points exactly.
TEST_F(ViewLatticeTest, TheStartGridGivesTheLatticesPointsExactly) {
  for (const LatticeView& view : SomeViews()) {
    const StartGrid grid = view.Grid();
    for (int i = 0; i < view.side; ++i) {
      ASSERT_EQ(grid.X(i), view.x.Point(i)) << i;
      ASSERT_EQ(grid.Y(i), view.y.Point(i)) << i;
    }
  }
}

TEST_F(ViewLatticeTest, TheFirstViewCoversTheRegionAskedFor) {
  const struct {
    MapRegion wanted;
    int side;
    MapRegion expected;
  } cases[] = {
      {{}, 600, {-112.125, 112.5, -112.125, 112.5}},  // steps of 3/8
      {{}, 48, {-115, 120, -115, 120}},
      {{0, 1, 0, 1}, 2, {0, 1, 0, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(LatticeAround(c.wanted, c.side).Region(), c.expected);
  for (const LatticeView& view : SomeViews()) {
    EXPECT_GE(view.x.k, 16);
    EXPECT_LE(view.x.k, 64);
  }
}

// The share of the points of `now` that are points of `before`.
double SharedShare(const LatticeView& before, const LatticeView& now) {
  const StartGrid old = before.Grid();
  const StartGrid grid = now.Grid();
  std::int64_t shared = 0;
  for (int row = 0; row < now.side; ++row) {
    for (int column = 0; column < now.side; ++column) {
      const double x = grid.X(column);
      const double y = grid.Y(row);
      const std::int64_t oldColumn = old.NearestColumn(x);
      const std::int64_t oldRow = old.NearestRow(y);
      const bool inside = oldColumn >= 0 && oldColumn < before.side && oldRow >= 0 && oldRow < before.side;
      if (inside && old.X(static_cast<int>(oldColumn)) == x && old.Y(static_cast<int>(oldRow)) == y) ++shared;
    }
  }
  return static_cast<double>(shared) / (static_cast<double>(now.side) * now.side);
}

// A pan keeps three quarters of the points, a zoom in or out by 2 a quarter,
// and the pixel under the pointer keeps its point when zooming in.
TEST_F(ViewLatticeTest, MovesShareTheirPointsWithTheViewBefore) {
  const LatticeView first = LatticeAround({}, 201);
  const struct {
    const char* move;
    std::optional<LatticeView> view;
    double share;
  } cases[] = {
      {"pan right", PannedView(first, 1, 0), 0.75},
      {"pan down", PannedView(first, 0, -1), 0.75},
      {"zoom in", ZoomedView(first, 37, 150, 1), 0.25},
      {"zoom out", ZoomedView(first, 37, 150, -1), 0.25},
      {"two notches in", ZoomedView(first, 100, 100, 2), 1.0 / 16},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.view) << c.move;
    EXPECT_NEAR(SharedShare(first, *c.view), c.share, 0.01) << c.move;
  }
  const LatticeView in = *ZoomedView(first, 37, 150, 1);
  EXPECT_EQ(in.Grid().X(37), first.Grid().X(37));
  EXPECT_EQ(in.Grid().Y(200 - 150), first.Grid().Y(200 - 150));
  EXPECT_EQ(*ZoomedView(in, 37, 150, -1), first);  // out again about the same pixel: the view before
}

TEST_F(ViewLatticeTest, ADraggedSquareZoomsByThePowerOfTwoNearestItsSize) {
  const LatticeView first = LatticeAround({}, 200);
  const LatticeView into = *ViewInto(first, 120, 60, 50);  // a quarter of the side: in by 4
  EXPECT_EQ(into.x.exponent, first.x.exponent - 2);
  // Its centre is the point under the square's centre.
  EXPECT_EQ(into.Grid().X(99), first.Grid().X(120));
  EXPECT_EQ(into.Grid().Y(99), first.Grid().Y(199 - 60));
}

TEST_F(ViewLatticeTest, ViewsBeyondExactDoublesAreRefused) {
  std::optional<LatticeView> view = LatticeAround({}, 600);
  int notches = 0;
  while (view && notches < 2000) {
    view = ZoomedView(*view, 100, 100, 1);
    ++notches;
  }
  EXPECT_FALSE(view) << "still exact after " << notches << " notches in";
  EXPECT_GE(notches, 40);  // some 10^12 deep
  view = LatticeAround({}, 600);
  for (notches = 0; view && notches < 2000; ++notches) view = ZoomedView(*view, 0, 0, -1);
  EXPECT_FALSE(view);
}

}  // namespace
}  // namespace app
