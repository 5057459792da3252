#include "app/map_picture.h"

#include <gtest/gtest.h>

#include "app/start_point_map.h"
#include "run_test_support.h"

namespace app {
namespace {

// The picture's rows from its top, as one vector.
std::vector<graphics::ColorRef> RowsOf(const MapPicture& picture) {
  const pictures::RowSource rows = picture.Rows();
  std::vector<graphics::ColorRef> pixels(static_cast<std::size_t>(picture.Width()) *
                                         (picture.Place().bottom - picture.Place().top));
  for (std::int32_t y = 0; y < picture.Place().bottom - picture.Place().top; ++y) {
    rows(y, std::span(pixels).subspan(static_cast<std::size_t>(y) * picture.Width(), picture.Width()));
  }
  return pixels;
}

MapPictureJob Job(MapPictureKind kind, int side, int firstRow, int endRow) {
  MapPictureJob job;
  job.kind = kind;
  job.scan.grid.side = side;
  job.scan.firstRow = firstRow;
  job.scan.endRow = endRow;
  job.scan.rules.stepLimit = 40;  // short trials; enough for every colour to show
  return job;
}

MapPicture Compute(const MapPictureJob& job) {
  const graphics::WindowHandle window = job.kind == MapPictureKind::window ? OpenMapPictureWindow() : 0;
  auto picture = ComputeMapPicture(job, 2, {}, window);
  EXPECT_TRUE(picture.has_value());
  return picture ? std::move(*picture) : MapPicture{};
}

using MapPictureTest = testing::OffscreenRunTest;

// A pendulum of the user's own: four magnets on a circle with unequal
// strengths, below the lowest point, with friction, their markers painted.
// The picture as the x87 build paints it: every build (the software Real's,
// the ARM64 one's) must paint exactly this picture.
TEST_F(MapPictureTest, PendulumOfTheUsersOwnPaintsTheSamePictureEverywhere) {
  MapPictureJob job = Job(MapPictureKind::pixelPerPoint, 61, 0, 61);
  job.scan.rules.stepLimit = 300;
  job.scan.rules.pendulum.magnets = MagnetsOnCircle(4, 40, 180);
  job.scan.rules.pendulum.magnets[1].strength = 2;
  job.scan.rules.pendulum.magnets[3].strength = 0.5;
  job.scan.rules.pendulum.height = 10;
  job.scan.rules.pendulum.friction = 0.05;
  job.markers = true;
  job.shading = Shading::bySteps;
  const std::vector<graphics::ColorRef> pixels = RowsOf(Compute(job));
  EXPECT_EQ(testing::Fingerprint(pixels), 13174145530520507170u);
}

// Two bands cut anywhere hold, one above the other, exactly the rows of the
// whole picture: the window's squares, their margins and the markers too.
TEST_F(MapPictureTest, BandsCutAnywhereStackUpToTheWholePicture) {
  for (const auto& [kind, side] : {std::pair{MapPictureKind::window, 111}, std::pair{MapPictureKind::pixelPerPoint, 37}}) {
    const MapPicture whole = Compute(Job(kind, side, 0, side));
    EXPECT_EQ(whole.Place(), (pictures::BandPlace{0, whole.Place().height, whole.Place().height}));
    const std::vector<graphics::ColorRef> wholeRows = RowsOf(whole);
    for (const int cut : {1, side / 2, side - 1}) {
      const MapPicture lower = Compute(Job(kind, side, 0, cut));
      const MapPicture upper = Compute(Job(kind, side, cut, side));
      EXPECT_EQ(upper.Place().top, 0);
      EXPECT_EQ(upper.Place().bottom, lower.Place().top) << "cut at row " << cut;
      std::vector<graphics::ColorRef> stacked = RowsOf(upper);
      const std::vector<graphics::ColorRef> lowerRows = RowsOf(lower);
      stacked.insert(stacked.end(), lowerRows.begin(), lowerRows.end());
      EXPECT_TRUE(stacked == wholeRows) << "cut at row " << cut;
    }
  }
}

// The window's picture is the map run's own: the same pixels as its window.
// And a grid of the window's side has the colours of its squares.
TEST_F(MapPictureTest, WindowPictureIsTheMapRunsAndTheGridItsSquares) {
  console::ScriptedKeys keys;
  testing::ObservingClock clock;
  console::ConsoleKeyboard keyboard(keys, clock);
  RunStartPointMap(5, 400, 40, keyboard, {});
  const auto window = graphics::offscreen::InspectOffscreenWindow("Startpunkte");
  ASSERT_TRUE(window);

  const MapPicture picture = Compute(Job(MapPictureKind::window, 111, 0, 111));
  EXPECT_EQ(picture.Width(), 800);
  EXPECT_TRUE(RowsOf(picture) == window->surface);

  const std::vector<graphics::ColorRef> grid = RowsOf(Compute(Job(MapPictureKind::pixelPerPoint, 111, 0, 111)));
  int squaresSeen = 0;
  for (int row = 0; row < 111; ++row) {
    for (int column = 0; column < 111; ++column) {
      // Square of the start point at its centre pixel, well clear of the
      // markers' pixels around the magnets.
      const int x = 180 + 4 * column;
      const int y = 520 - 4 * row;
      if (std::abs(x - 315) < 12 && std::abs(y - 300) < 12) continue;
      if (std::abs(x - 460) < 12 && std::abs(std::abs(y - 300) - 60) < 12) continue;
      ++squaresSeen;
      ASSERT_EQ(grid[static_cast<std::size_t>(110 - row) * 111 + column], window->SurfacePixel(x, y))
          << "start point " << column << ", " << row;
    }
  }
  EXPECT_GT(squaresSeen, 12000);
}

TEST_F(MapPictureTest, StopsWhenAsked) {
  int rows = 0;
  MapPictureObserver observer;
  observer.afterRow = [&](int done) { rows = done; };
  observer.stopRequested = [&] { return rows >= 3; };
  EXPECT_FALSE(ComputeMapPicture(Job(MapPictureKind::pixelPerPoint, 50, 0, 50), 2, observer));
  EXPECT_EQ(rows, 3);
}

}  // namespace
}  // namespace app
