#include "app/explore.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/explore_help.h"
#include "app/explore_lines.h"
#include "app/fill_order.h"
#include "app/line_clip.h"
#include "app/number_text.h"
#include "app/explore_status.h"
#include "app/map_picture.h"
#include "app/view_lattice.h"
#include "cli/command_line.h"
#include "graphics/text.h"
#include "run_test_support.h"

namespace app {
namespace {

using graphics::InputEvent;
using graphics::InputKey;
using graphics::InputKind;
using graphics::PointerButton;

TEST(ExploreOrderTest, CoarseToFineVisitsEveryPointOnceAndCoarsestFirst) {
  for (const int side : {2, 9, 17, 40}) {
    const std::vector<std::int32_t> order = CoarseToFineOrder(side);
    std::vector<int> visits(static_cast<std::size_t>(side * side), 0);
    int lastBlock = 8;
    for (const std::int32_t point : order) {
      ++visits[static_cast<std::size_t>(point)];
      const int block = BlockSide(point % side, point / side);
      EXPECT_LE(block, lastBlock);
      lastBlock = block;
    }
    EXPECT_EQ(visits, std::vector<int>(visits.size(), 1)) << "side " << side;
  }
  EXPECT_EQ(BlockSide(0, 0), 8);
  EXPECT_EQ(BlockSide(16, 4), 4);
  EXPECT_EQ(BlockSide(6, 8), 2);
  EXPECT_EQ(BlockSide(8, 3), 1);
}

// A path's segment cut to the square the explorer draws in: inside kept
// whole, crossing cut at the edges, outside or parallel outside dropped.
TEST(LineClipTest, ASegmentKeepsThePartInsideTheSquare) {
  struct Case {
    Segment in;
    std::optional<Segment> out;
  };
  const Case cases[] = {
      {{1, 1, 5, 5}, Segment{1, 1, 5, 5}},
      {{-10, 5, 20, 5}, Segment{0, 5, 10, 5}},
      {{5, -10, 5, 20}, Segment{5, 0, 5, 10}},
      {{-5, -5, 15, 15}, Segment{0, 0, 10, 10}},
      {{20, 5, 5, 5}, Segment{10, 5, 5, 5}},
      {{-10, 11, 20, 11}, std::nullopt},
      {{11, 1, 20, 9}, std::nullopt},
      {{-5, 5, 5, 20}, std::nullopt},
      {{3, 3, 3, 3}, Segment{3, 3, 3, 3}},
      {{0, 0, 1e308, 1e308}, Segment{0, 0, 10, 10}},
  };
  for (const Case& c : cases) {
    const std::optional<Segment> clipped = Clipped(c.in, 0, 10);
    ASSERT_EQ(clipped.has_value(), c.out.has_value()) << c.in.ax << " " << c.in.ay << " " << c.in.bx << " " << c.in.by;
    if (!clipped) continue;
    EXPECT_EQ(clipped->ax, c.out->ax);
    EXPECT_EQ(clipped->ay, c.out->ay);
    EXPECT_EQ(clipped->bx, c.out->bx);
    EXPECT_EQ(clipped->by, c.out->by);
  }
}

TEST(ExploreTextTest, NumbersReadBackToTheSameDouble) {
  for (const double value : {110.0, -110.0, 0.1, 1.0 / 3, -54.72361809045226, 1e-300, 123456789012345678.0, 0.0}) {
    const std::string text = ShortestText(value);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    EXPECT_LE(text.size(), 24u);
  }
  EXPECT_EQ(ShortestText(110), "110");
  EXPECT_EQ(ShortestText(0.1), "0.1");
  ExploreSettings settings;
  EXPECT_EQ(ViewCommand(settings, {}), "magpend map --grid 600 --region -110:110:-110:110 --markers -o view.png");
  settings.side = 64;
  settings.values.n = 300;
  settings.values.m = 250.5;
  settings.shading = Shading::bySteps;
  EXPECT_EQ(ViewCommand(settings, {0.5, 1, -2, 2}),
            "magpend map --grid 64 --region 0.5:1:-2:2 --m 250.5 --n 300 --shade --markers -o view.png");
  settings.values.pendulum.magnets = {{-40, 0, 1}, {30, 30, 0.25}};
  settings.values.pendulum.height = 2;
  settings.values.pendulum.friction = 0.125;
  settings.values.pendulum.captureRadius = 4;
  EXPECT_EQ(ViewCommand(settings, {0.5, 1, -2, 2}),
            "magpend map --grid 64 --region 0.5:1:-2:2 --m 250.5 --n 300 --magnets=\"-40,0;30,30,0.25\" --height 2 "
            "--friction 0.125 --capture 4 --shade --markers -o view.png");
}

// The explorer on an offscreen window, driven through its input queue as
// its user would, the lines it says collected.
class ExploreTest : public testing::OffscreenRunTest {
 protected:
  void Start(const ExploreSettings& settings, std::size_t cachedResults = TrialCache::defaultCapacity,
             std::shared_ptr<const KnownResults> known = nullptr) {
    settings_ = settings;
    ExploreOptions options;
    options.workerThreads = 2;
    options.cachedResults = cachedResults;
    options.known = std::move(known);
    options.say = [this](const std::string& line) {
      {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
      }
      said_.notify_all();
    };
    options.saveFolder = ::testing::TempDir();
    options.afterSlice = afterSlice_;
    exitCode_ = std::async(std::launch::async, [settings, options] { return RunExplorer(settings, options); });
  }

  void TearDown() override {
    if (exitCode_.valid()) {
      Send({.kind = InputKind::key, .key = InputKey::escape});
      exitCode_.wait();
    }
    OffscreenRunTest::TearDown();
  }

  // The next line said, waiting for it (long: a loaded machine is slow).
  std::string NextLine() {
    std::unique_lock lock(mutex_);
    said_.wait_for(lock, std::chrono::seconds(120), [&] { return lines_.size() > read_; });
    return lines_.size() > read_ ? lines_[read_++] : "(nothing said)";
  }

  void Send(const InputEvent& event) {
    // The window opens on the explorer's thread: wait until it is there.
    while (!graphics::offscreen::SendOffscreenInput(exploreCaption, event)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void Click(int x, int y, PointerButton button = PointerButton::left) {
    Send({.kind = InputKind::buttonPress, .x = x, .y = y, .button = button});
    Send({.kind = InputKind::buttonRelease, .x = x + 1, .y = y - 1, .button = button});
  }
  void Key(InputKey key, char32_t character = 0) {
    Send({.kind = InputKind::key, .key = key, .character = character});
  }

  // The batch map's picture of the command a "view:" line names, read as
  // the program reads its command line.
  std::vector<graphics::ColorRef> BatchPicture(const std::string& viewLine) {
    const std::string command = viewLine.substr(0, viewLine.find("  # "));
    std::vector<std::string> words;
    std::istringstream split(command.substr(command.find(" map ") + 1));
    for (std::string word; split >> word;) {
      std::erase(word, '"');  // the shell's quotes
      words.push_back(word);
    }
    const cli::CommandLineReading reading = cli::ReadCommandLine(words);
    EXPECT_EQ(reading.mistake, "") << viewLine;
    const cli::MapCommand& map = reading.commandLine.map;
    MapPictureJob job;
    job.kind = MapPictureKind::pixelPerPoint;
    job.scan.grid = {map.gridSide, map.region};
    job.scan.rules = RulesOf(map.values);
    job.shading = map.shading;
    job.markers = map.markers;
    const std::optional<MapPicture> picture = ComputeMapPicture(job, 2, {});
    std::vector<graphics::ColorRef> pixels(static_cast<std::size_t>(map.gridSide * map.gridSide));
    const pictures::RowSource rows = picture->Rows();
    for (int y = 0; y < map.gridSide; ++y) {
      rows(y, std::span(pixels).subspan(static_cast<std::size_t>(y * map.gridSide), map.gridSide));
    }
    return pixels;
  }

  // The window's surface: the view's rows, then the status line's.
  std::vector<graphics::ColorRef> WindowSurface() {
    return *graphics::offscreen::InspectOffscreenSurface(exploreCaption);
  }
  // The view's rows alone.
  std::vector<graphics::ColorRef> WindowPixels() {
    std::vector<graphics::ColorRef> pixels = WindowSurface();
    EXPECT_EQ(pixels.size(), static_cast<std::size_t>(settings_.side * (settings_.side + statusHeight)));
    pixels.resize(static_cast<std::size_t>(settings_.side * settings_.side));
    return pixels;
  }

  // Whether `surface` (the window's) shows `text` from `at` as the built-in
  // font draws it, as far as the window is wide.
  bool ShowsText(const std::vector<graphics::ColorRef>& surface, graphics::PixelPoint at, const std::string& text,
                 graphics::ColorRef ink, graphics::ColorRef paper) {
    const int width = std::min(graphics::TextWidth(text), settings_.side - at.x);
    graphics::Surface expected(width, graphics::glyphHeight, 0x00123456);
    graphics::DrawText(expected, {0, 0}, text, ink, paper);
    for (int y = 0; y < graphics::glyphHeight; ++y) {
      for (int x = 0; x < width; ++x) {
        if (surface[static_cast<std::size_t>((at.y + y) * settings_.side + at.x + x)] != expected.PixelAt(x, y)) {
          return false;
        }
      }
    }
    return true;
  }
  bool StatusShows(const std::vector<graphics::ColorRef>& surface, int line, const std::string& text) {
    return ShowsText(surface, StatusLineOrigin(settings_.side, line), text, 0x00000000, graphics::dialogFaceColor);
  }

  // Waits for the next view and checks it against the batch map.
  std::string ExpectViewIsTheBatchMap(const std::string& what) {
    const std::string line = NextLine();
    EXPECT_TRUE(line.starts_with("view: magpend map --grid ")) << what << ": " << line;
    EXPECT_TRUE(WindowPixels() == BatchPicture(line)) << what << ": " << line;
    return line;
  }

  std::string ExpectViewIsTheBatchMapAfter(InputKey key) {
    Key(key);
    return ExpectViewIsTheBatchMap("key");
  }

  ExploreSettings settings_;
  std::function<void(int view, std::int64_t shown, std::int64_t points)> afterSlice_;
  std::future<int> exitCode_;
  std::mutex mutex_;
  std::condition_variable said_;
  std::vector<std::string> lines_;
  std::size_t read_ = 0;
};

// A pendulum of the user's own: its views are the batch map of that
// pendulum, and their commands name it.
TEST_F(ExploreTest, ViewsOfAPendulumOfTheUsersOwnNameIt) {
  ExploreSettings settings;
  settings.side = 32;
  settings.values.n = 200;
  settings.values.pendulum.magnets = MagnetsOnCircle(4, 40, 180);
  settings.values.pendulum.friction = 0.05;
  Start(settings);
  const std::string first = ExpectViewIsTheBatchMap("first view");
  EXPECT_NE(first.find(" --n 200 --magnets=\"-40,0;0,-40;40,0;0,40\" --friction 0.05 --markers -o view.png"), std::string::npos)
      << first;

  // Magnet 1's marker dragged to pixel (25, 6): the magnet moved to that start point.
  const StartGrid grid = LatticeAround({}, 32).Grid();
  const int column = static_cast<int>(grid.NearestColumn(-40));
  const int row = 31 - static_cast<int>(grid.NearestRow(0));
  Send({.kind = InputKind::buttonPress, .x = column + 1, .y = row - 1, .button = PointerButton::left});
  Send({.kind = InputKind::motion, .x = 15, .y = 8});
  Send({.kind = InputKind::buttonRelease, .x = 25, .y = 6, .button = PointerButton::left});
  const std::string dragged = ExpectViewIsTheBatchMap("dragged magnet");
  const std::string moved = ShortestText(grid.X(25)) + "," + ShortestText(grid.Y(31 - 6));
  EXPECT_NE(dragged.find("--magnets=\"" + moved + ";0,-40;40,0;0,40\""), std::string::npos) << dragged;
  // Dropped onto magnet 3: it stays, and says why.
  const int column3 = static_cast<int>(grid.NearestColumn(40));
  Send({.kind = InputKind::buttonPress, .x = column3, .y = row, .button = PointerButton::left});
  Send({.kind = InputKind::buttonRelease, .x = 25, .y = 6, .button = PointerButton::left});
  EXPECT_EQ(NextLine(), "magnet 3 stays where it was: --magnets: magnet 3 lies where magnet 1 lies");

  // The keys' values, each a new view; Backspace brings the values before back.
  const struct {
    char32_t key;
    std::string option;
  } keys[] = {{U'G', " --g 6.25 "}, {U'g', " --magnets="}, {U'+', " --m 500 "}, {U'F', " --friction 0.06 "},
              {U'f', " --friction 0.05 "}};
  for (const auto& k : keys) {
    Key(InputKey::character, k.key);
    const std::string line = ExpectViewIsTheBatchMap("key");
    EXPECT_NE(line.find(k.option), std::string::npos) << line;
  }
  EXPECT_NE(ExpectViewIsTheBatchMapAfter(InputKey::backspace).find(" --m 500 --n 200 --magnets="), std::string::npos);

  // M: the markers gone from the view and from its command.
  Key(InputKey::character, U'm');
  const std::string unmarked = ExpectViewIsTheBatchMap("markers hidden");
  EXPECT_EQ(unmarked.find("--markers"), std::string::npos) << unmarked;

  // P: the view's values as a file that --config reads back to them.
  Key(InputKey::character, U'p');
  const std::string saved = NextLine();
  ASSERT_TRUE(saved.starts_with("saved: explore-") && saved.ends_with(".toml")) << saved;
  const std::string file = (std::filesystem::path(::testing::TempDir()) / saved.substr(7)).string();
  const cli::CommandLineReading config = cli::ReadCommandLine(std::vector<std::string>{"map", "-o", "x.png", "--config", file});
  EXPECT_EQ(config.mistake, "");
  EXPECT_EQ(config.commandLine.map.values.m, 500);
  EXPECT_EQ(config.commandLine.map.values.pendulum.friction, 0.06);
  EXPECT_EQ(config.commandLine.map.values.pendulum.magnets[0].x, grid.X(25));
  std::filesystem::remove(file);
  Key(InputKey::escape);
  EXPECT_EQ(exitCode_.get(), 0);
}

TEST_F(ExploreTest, EveryViewIsTheBatchMapOfItsCommand) {
  ExploreSettings settings;
  settings.side = 48;
  settings.values.n = 300;
  settings.shading = Shading::bySteps;
  Start(settings);
  const std::string first = ExpectViewIsTheBatchMap("first view");
  // The first view: the lattice's around -110:110, reaching half a step further.
  EXPECT_NE(first.find("--region -115:120:-115:120 --n 300 --shade --markers -o view.png  # "), std::string::npos) << first;

  // A click: the start point's trial, its magnet that of the pixel, its path drawn.
  const std::vector<graphics::ColorRef> before = WindowPixels();
  Click(30, 10);
  const std::string start = NextLine();
  const StartGrid grid = LatticeAround({}, 48).Grid();
  const std::string where = "start " + ShortestText(grid.X(30)) + " " + ShortestText(grid.Y(37)) + ": ";
  ASSERT_TRUE(start.starts_with(where)) << start;
  const int magnet = start.find("no magnet") != std::string::npos ? 0 : start[where.size() + 7] - '0';
  const graphics::ColorRef pixel = before[10 * 48 + 30];
  EXPECT_EQ(magnet == 0, pixel == testing::background) << start;
  if (magnet > 0) {
    const std::int64_t steps = std::atoll(start.c_str() + start.find("after ") + 6);
    EXPECT_EQ(pixel, PointColor({static_cast<std::int16_t>(magnet), steps}, 300, Shading::bySteps)) << start;
  }
  EXPECT_FALSE(WindowPixels() == before) << "no path drawn";

  // Views made by the wheel, a drag, the keys; Backspace and Home go back.
  Send({.kind = InputKind::wheel, .x = 12, .y = 30, .wheelSteps = 1});
  const std::string zoomed = ExpectViewIsTheBatchMap("wheel");
  Send({.kind = InputKind::buttonPress, .x = 5, .y = 5, .button = PointerButton::left});
  Send({.kind = InputKind::motion, .x = 20, .y = 9});
  Send({.kind = InputKind::buttonRelease, .x = 30, .y = 17, .button = PointerButton::left});
  ExpectViewIsTheBatchMap("drag");
  Key(InputKey::backspace);
  EXPECT_EQ(ExpectViewIsTheBatchMap("Backspace").substr(0, 60), zoomed.substr(0, 60));
  Key(InputKey::left);
  ExpectViewIsTheBatchMap("left arrow");
  Click(3, 3, PointerButton::right);
  EXPECT_EQ(ExpectViewIsTheBatchMap("right click").substr(0, 60), zoomed.substr(0, 60));
  Key(InputKey::home);
  EXPECT_EQ(ExpectViewIsTheBatchMap("Home").substr(0, 60), first.substr(0, 60));

  Key(InputKey::character, 's');
  const std::string saved = NextLine();
  EXPECT_TRUE(saved.starts_with("saved: explore-")) << saved;
  std::filesystem::remove(std::filesystem::path(::testing::TempDir()) / saved.substr(7));

  Key(InputKey::character, 'q');
  EXPECT_EQ(exitCode_.get(), 0);
}

// The status line tells the view, its progress and the click's result, in
// the font's own pixels; H shows the help over the view, and hides it again
// without ending the explorer; the view's rows stay the batch map.
TEST_F(ExploreTest, TheStatusLineAndTheHelpSayWhatTheViewShows) {
  ExploreSettings settings;
  settings.side = 256;
  settings.values.n = 200;
  Start(settings);
  const std::string first = ExpectViewIsTheBatchMap("first view");
  const std::string time = first.substr(first.find("  # ") + 4, first.size() - first.find("  # ") - 6);
  std::vector<graphics::ColorRef> surface = WindowSurface();
  // The first view lies a little beyond the default region, on the lattice
  // of its points: -111.125:112 both ways.
  const std::string firstStatus = "centre 0.4375 0.4375  width 223.1  zoom 1x   H: help";
  EXPECT_TRUE(StatusShows(surface, 0, firstStatus)) << first;
  EXPECT_TRUE(StatusShows(surface, 1, "done in " + time + " s")) << first;
  EXPECT_TRUE(StatusShows(surface, 2, "--n 200"));
  EXPECT_FALSE(StatusShows(surface, 1, "done in " + time + "0 s")) << "a comparison that cannot fail";

  Click(60, 200);
  const std::string start = NextLine();
  ASSERT_TRUE(start.starts_with("start ")) << start;
  EXPECT_TRUE(StatusShows(WindowSurface(), 1, "done in " + time + " s   click: " + start.substr(start.find(": ") + 2)))
      << start;
  Key(InputKey::character, 's');
  const std::string saved = NextLine();
  ASSERT_TRUE(saved.starts_with("saved: explore-")) << saved;
  EXPECT_TRUE(StatusShows(WindowSurface(), 2, saved + "   --n 200")) << saved;
  std::filesystem::remove(std::filesystem::path(::testing::TempDir()) / saved.substr(7));

  // H: the help's lines over the view, as many as it holds.
  const std::vector<graphics::ColorRef> view = WindowPixels();
  Key(InputKey::character, 'h');
  const HelpLayout help = LayOutHelp(settings.side);
  ASSERT_GE(help.lines, 5u);
  const std::vector<std::string> lines = HelpLines();
  const auto helpShown = [&](const std::vector<graphics::ColorRef>& shown, std::size_t count) {
    for (std::size_t line = 0; line < count; ++line) {
      const graphics::PixelPoint at{help.text.x, help.text.y + static_cast<int>(line) * graphics::glyphHeight};
      if (!ShowsText(shown, at, lines[line].substr(0, help.columns), 0x00000000, 0x00FFFFFF)) return false;
    }
    return true;
  };
  // The help is drawn on the explorer's thread: wait for all of it.
  for (int waited = 0; !helpShown(WindowSurface(), help.lines) && waited < 60000; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(helpShown(WindowSurface(), help.lines));
  // Escape hides it and ends nothing; ? shows it again, a click hides it
  // and is a click.
  Key(InputKey::escape);
  Key(InputKey::character, '?');
  Click(20, 20);
  const std::string second = NextLine();
  EXPECT_TRUE(second.starts_with("start ")) << second;
  EXPECT_TRUE(WindowPixels() != view) << "the second click's path";
  EXPECT_FALSE(helpShown(WindowSurface(), 1)) << "the click left the help";
  // An arrow key hides it and pans: the next view, the batch map again.
  Key(InputKey::character, 'H');
  Key(InputKey::right);
  ExpectViewIsTheBatchMap("right arrow after the help");
  surface = WindowSurface();
  EXPECT_TRUE(StatusShows(surface, 0, "centre ") && !StatusShows(surface, 0, firstStatus)) << "the panned view";
  Key(InputKey::character, 'q');
  EXPECT_EQ(exitCode_.get(), 0);
}

// While a view is computed, the status line tells its share done. It is
// redrawn at intervals, so some slice shows the share of its own moment.
TEST_F(ExploreTest, TheStatusLineTellsTheProgress) {
  ExploreSettings settings;
  settings.side = 96;
  settings.values.m = 1e-9;  // no magnet catches: every trial runs its 5000 steps
  settings.values.n = 5000;
  std::promise<std::int64_t> sliceShowingItsShare;
  bool told = false;
  afterSlice_ = [&](int, std::int64_t shown, std::int64_t points) {
    if (told) return;
    const std::vector<graphics::ColorRef> surface = WindowSurface();
    if (shown < points && !StatusShows(surface, 1, std::to_string(shown * 100 / points) + "% after ")) return;
    told = true;
    EXPECT_TRUE(StatusShows(surface, 0, "centre 1.19 1.1"));
    sliceShowingItsShare.set_value(shown);
  };
  Start(settings);
  EXPECT_LT(sliceShowingItsShare.get_future().get(), 96 * 96) << "no slice showed its share before the view ended";
  Key(InputKey::escape);
  EXPECT_EQ(exitCode_.get(), 0);
}

// Views that share their points with views before take them from the cache,
// and one much smaller than a view still gives the exact views.
// Results known before: those of a map twice as fine as the first view,
// which holds every point of the first view and of the zoom in; or, where
// `fake` is given, that result for every point.
std::shared_ptr<const KnownResults> FinerMapOf(const ExploreSettings& settings,
                                               std::optional<TrialResult> fake = std::nullopt) {
  MapPictureJob job;
  job.kind = MapPictureKind::pixelPerPoint;
  job.scan.grid = {2 * settings.side - 1, LatticeAround(settings.firstRegion, settings.side).Region()};
  job.scan.rules = RulesOf(settings.values);
  std::vector<TrialResult> results;
  if (fake) results.assign(static_cast<std::size_t>(job.scan.TrialCount()), *fake);
  else ComputeMapPicture(job, 2, {{}, {}, [&](const TrialResult& result) { results.push_back(result); }});
  return std::make_shared<const KnownResults>(job.scan.grid, 0, job.scan.grid.Height(), job.scan.rules,
                                              std::move(results));
}

// Known results are taken for every point they hold, none computed again:
// with a made-up result for each, the whole first view shows it.
TEST_F(ExploreTest, KnownResultsAreShownAsTheyAre) {
  ExploreSettings settings;
  settings.side = 32;
  settings.values.n = 300;
  settings.markers = false;
  const TrialResult madeUp{2, 1};
  Start(settings, 0, FinerMapOf(settings, madeUp));
  EXPECT_TRUE(NextLine().starts_with("view: "));
  const std::vector<graphics::ColorRef> pixels = WindowPixels();
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), PointColor(madeUp, 300, Shading::none)),
            static_cast<std::ptrdiff_t>(pixels.size()));
}

TEST_F(ExploreTest, ViewsAreExactWithAnyCache) {
  ExploreSettings settings;
  settings.side = 64;
  settings.values.n = 300;
  const std::shared_ptr<const KnownResults> finer = FinerMapOf(settings);
  const struct {
    std::size_t cached;
    std::shared_ptr<const KnownResults> known;
  } cases[] = {{1000, nullptr}, {0, nullptr}, {TrialCache::defaultCapacity, nullptr}, {0, finer}};
  for (const auto& [cached, known] : cases) {
    Start(settings, cached, known);
    const std::string first = ExpectViewIsTheBatchMap("first view");
    Send({.kind = InputKind::wheel, .x = 20, .y = 40, .wheelSteps = 1});
    ExpectViewIsTheBatchMap("zoom in");
    Send({.kind = InputKind::wheel, .x = 20, .y = 40, .wheelSteps = -1});
    EXPECT_EQ(ExpectViewIsTheBatchMap("zoom out").substr(0, 60), first.substr(0, 60)) << cached;
    Key(InputKey::right);
    ExpectViewIsTheBatchMap("pan");
    Key(InputKey::backspace);
    ExpectViewIsTheBatchMap("Backspace");
    Key(InputKey::home);
    ExpectViewIsTheBatchMap("Home");
    Key(InputKey::escape);
    EXPECT_EQ(exitCode_.get(), 0);
    lines_.clear();
    read_ = 0;
  }
}

// A new view stops the one under way: with trials that never end on their
// own, only stopping lets the explorer reach the end. (Released on the y
// axis with magnets too weak to matter, the bob swings along it forever,
// 30 units or more from every magnet.)
// Views whose trials never end: a weak magnet, start points far out.
ExploreSettings EndlessTrials() {
  ExploreSettings settings;
  settings.side = 16;
  settings.values.m = 1e-9;
  settings.values.n = 1e12;  // 2^31 - 1 steps for a trial not caught
  settings.firstRegion = {-1e-3, 1e-3, 200, 300};
  return settings;
}

TEST_F(ExploreTest, ANewViewStopsTheOldOne) {
  Start(EndlessTrials());
  for (int i = 0; i < 5; ++i) Key(InputKey::right);
  graphics::offscreen::CloseOffscreenWindowAsUser(exploreCaption, graphics::offscreen::CloseWait::untilDestroyed);
  ASSERT_EQ(exitCode_.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(exitCode_.get(), 0);
}

// A clicked trial of billions of steps gives way to the next click, and that
// one to Escape: the window keeps answering.
TEST_F(ExploreTest, AnEndlessClickedTrialGivesWayToTheNextInput) {
  Start(EndlessTrials());
  Click(4, 4);
  Click(12, 12);
  for (int clicked = 1; clicked <= 2; ++clicked) {
    const std::string line = NextLine();
    EXPECT_TRUE(line.starts_with("start ") && line.find(": stopped after ") != std::string::npos) << line;
    if (clicked == 1) Key(InputKey::escape);
  }
  ASSERT_EQ(exitCode_.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(exitCode_.get(), 0);
}

}  // namespace
}  // namespace app
