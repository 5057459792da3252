#include <gtest/gtest.h>

#include <filesystem>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/film_folder.h"
#include "cli/film_plan.h"

namespace cli {
namespace {

double Width(const app::MapRegion& region) { return region.x1 - region.x0; }
double CentreX(const app::MapRegion& region) { return (region.x0 + region.x1) / 2; }

const FilmPlan zooms[] = {
    {{0, 0, 220}, {28, 2, 10}, 64, 36, 6},
    {{0, 0, 220}, {28.8, 1.2, 1e-6}, 1280, 720, 300},
    {{-3, 5, 1e-3}, {40, -7, 80}, 65, 37, 11},  // zooming out
    {{1e-9, -2e-9, 3e-8}, {-1e-9, 5e-9, 1e-11}, 2, 8192, 25},
};

// The first and the last frame are the keyframes; the width changes by the
// same factor every frame, and the points keep the same spacing across and up.
TEST(FilmPlanTest, FramesRunFromKeyframeToKeyframeGeometrically) {
  for (const FilmPlan& plan : zooms) {
    const std::int32_t last = plan.frameCount - 1;
    const app::MapRegion first = FrameRegion(plan, 0);
    const app::MapRegion end = FrameRegion(plan, last);
    EXPECT_EQ(first, (app::MapRegion{plan.from.x - plan.from.width / 2, plan.from.x + plan.from.width / 2,
                                     first.y0, first.y1}));
    EXPECT_EQ(end.x0, plan.to.x - plan.to.width / 2);
    EXPECT_EQ(end.x1, plan.to.x + plan.to.width / 2);
    EXPECT_DOUBLE_EQ((end.y0 + end.y1) / 2, plan.to.y);
    const double factor = std::pow(plan.to.width / plan.from.width, 1.0 / last);
    for (std::int32_t frame = 0; frame < last; ++frame) {
      const app::MapRegion now = FrameRegion(plan, frame);
      const app::MapRegion next = FrameRegion(plan, frame + 1);
      EXPECT_NEAR(Width(next) / Width(now), factor, 1e-6 * factor) << frame;
      const double spacingAcross = Width(now) / (plan.pixelsWide - 1);
      const double spacingUp = (now.y1 - now.y0) / (plan.pixelsHigh - 1);
      EXPECT_NEAR(spacingUp / spacingAcross, 1, 1e-6) << frame;
    }
    EXPECT_FALSE(FirstDegenerateFrame(plan));
  }
}

// The zoom's fixed point (where the line through the keyframes' edges
// meets) stays at the same share of the width in every frame: a steady zoom.
TEST(FilmPlanTest, OnePointStaysInPlaceOnTheScreen) {
  for (const FilmPlan& plan : zooms) {
    const double share = -(plan.to.x - plan.from.x) / (plan.to.width - plan.from.width);  // from the centre
    const double fixed = plan.from.x + share * plan.from.width;
    for (std::int32_t frame = 0; frame < plan.frameCount; ++frame) {
      const app::MapRegion region = FrameRegion(plan, frame);
      EXPECT_NEAR((fixed - CentreX(region)) / Width(region), share, 1e-6 * (1 + std::fabs(share))) << frame;
    }
  }
}

TEST(FilmPlanTest, PansAndSingleFrames) {
  const FilmPlan pan{{0, 0, 10}, {30, -60, 10}, 8, 8, 4};
  for (std::int32_t frame = 0; frame < 4; ++frame) {
    const app::MapRegion region = FrameRegion(pan, frame);
    EXPECT_DOUBLE_EQ(CentreX(region), 10.0 * frame);
    EXPECT_DOUBLE_EQ((region.y0 + region.y1) / 2, -20.0 * frame);
    EXPECT_DOUBLE_EQ(Width(region), 10);
  }
  const FilmPlan still{{1, 2, 4}, {9, 9, 1}, 5, 3, 1};
  EXPECT_EQ(FrameRegion(still, 0), (app::MapRegion{-1, 3, 1, 3}));
  // A width below the doubles' spacing at its centre is no region.
  EXPECT_EQ(FirstDegenerateFrame({{0, 0, 1}, {1e17, 0, 1}, 4, 4, 3}), 1);
  EXPECT_EQ(FirstDegenerateFrame({{0, 0, 1}, {0, 0, 1e308}, 4, 4000, 2}), 1);  // its height overflows
}

TEST(FilmPlanTest, SweepsMoveLinearlyFromEndToEnd) {
  const Sweep sweep{SweptValue::m, 0.1, 700};
  EXPECT_EQ(SweptValueOf(sweep, 0, 7), 0.1);
  EXPECT_EQ(SweptValueOf(sweep, 6, 7), 700);
  for (std::int32_t frame = 1; frame < 6; ++frame) {
    EXPECT_NEAR(SweptValueOf(sweep, frame, 7) - SweptValueOf(sweep, frame - 1, 7), (700 - 0.1) / 6, 1e-9) << frame;
  }
  EXPECT_EQ(SweptValueOf(sweep, 0, 1), 0.1);
  const struct {
    std::string text;
    std::optional<Sweep> sweep;
  } cases[] = {
      {"g:0.5:9", Sweep{SweptValue::g, 0.5, 9}},
      {"m:400:1e-3", Sweep{SweptValue::m, 400, 1e-3}},
      {"n:1:2", std::nullopt},
      {"g:0:2", std::nullopt},
      {"m:1", std::nullopt},
      {"g:1:2:3", std::nullopt},
      {"G:1:2", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadSweep(c.text), c.sweep) << c.text;
}

TEST(FilmPlanTest, Keyframes) {
  const struct {
    std::string text;
    std::optional<Keyframe> keyframe;
  } cases[] = {
      {"0:0:220", Keyframe{0, 0, 220}},
      {"-1.5e-3:2:1e-300", Keyframe{-1.5e-3, 2, 1e-300}},
      {"1:2:0", std::nullopt},
      {"1:2:-1", std::nullopt},
      {"1:2", std::nullopt},
      {"1:2:3:", std::nullopt},
      {"inf:2:3", std::nullopt},
      {"1: 2:3", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadKeyframe(c.text), c.keyframe) << c.text;
}

// A frame's printed command, read back as the command line reads it, with
// its output (quoted for a shell: 'my frames/NNNNNN.png') replaced.
CommandLineReading ReadBack(const MapCommand& command) {
  std::istringstream line(MapCommandLine(command));
  std::vector<std::string> words;
  for (std::string word; line >> word;) words.push_back(word);
  EXPECT_EQ(words.at(0), "magpend");
  words.erase(words.begin());
  while (words.back() != "-o") words.pop_back();
  words.emplace_back("x.png");
  return ReadCommandLine(words);
}

// The printed command of a frame is that frame's map command to the last bit.
TEST(FilmFolderTest, PrintedFrameCommandReadsBackExactly) {
  for (const FilmPlan& plan : zooms) {
    FilmCommand film;
    film.plan = plan;
    film.values.g = 0.1;
    film.values.n = 300;
    film.shading = app::Shading::bySteps;
    film.framesFolder = "my frames";
    for (std::int32_t frame : {0, plan.frameCount / 2, plan.frameCount - 1}) {
      const MapCommand command = FrameCommand(film, frame);
      const CommandLineReading reading = ReadBack(command);
      ASSERT_EQ(reading.mistake, "") << MapCommandLine(command);
      const MapCommand& read = reading.commandLine.map;
      EXPECT_EQ(read.region, command.region);
      EXPECT_EQ(read.gridSide, plan.pixelsWide);
      EXPECT_EQ(read.gridHeight, plan.pixelsHigh == plan.pixelsWide ? 0 : plan.pixelsHigh);
      EXPECT_EQ(read.values.g, command.values.g);
      EXPECT_EQ(read.values.n, 300);
      EXPECT_EQ(read.shading, app::Shading::bySteps);
    }
  }
  // A sweep's values, through the form's reading of numbers.
  FilmCommand sweep;
  sweep.plan = {{1, 2, 3}, {1, 2, 3}, 8, 8, 7};
  sweep.sweep = {SweptValue::m, 0.1, 700.3};
  for (std::int32_t frame = 0; frame < 7; ++frame) {
    const CommandLineReading reading = ReadBack(FrameCommand(sweep, frame));
    ASSERT_EQ(reading.mistake, "");
    EXPECT_EQ(reading.commandLine.map.values.m, SweptValueOf(sweep.sweep, frame, 7)) << frame;
    EXPECT_EQ(reading.commandLine.map.region, FrameRegion(sweep.plan, 0));
  }
  FilmCommand film;
  film.plan = zooms[0];
  film.framesFolder = "it's here";
  // The apostrophe quoted for the shell (the folder and the frame joined as
  // the system joins them).
  const std::string separator(1, static_cast<char>(std::filesystem::path::preferred_separator));
  EXPECT_TRUE(MapCommandLine(FrameCommand(film, 3)).ends_with(" -o 'it'\\''s here" + separator + "000003.png'"))
      << MapCommandLine(FrameCommand(film, 3));
}

}  // namespace
}  // namespace cli
