#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>
#include <utility>

#include "app/form.h"
#include "app/map_scan.h"
#include "app/number_text.h"
#include "app/pendulum.h"
#include "app/run_window.h"
#include "cli/exit_codes.h"
#include "cli/film_folder.h"
#include "cli/number_reading.h"
#include "cli/platform_words.h"
#include "runtime/text_to_number.h"

namespace cli {

namespace {

const std::string seeHelp = "; see magpend --help";
// The explorer's cache at the most: some 20 GB.
constexpr std::int32_t largestCache = 200'000'000;

// ---------------------------------------------------------------------------
// Checks of single values; each returns what is wrong, empty when nothing.
// CLI11 puts the option's name in front.

// A number as the form reads one, and nothing else: text the form would
// quietly read as 0 or cut short is refused.
std::string CheckFormNumber(const std::string& text) {
  if (!text.empty() && runtime::ReadLeadingNumber(text).length == text.size()) return {};
  return "needs a number, not '" + text + "'";
}

// The validators carry no description of their own: the help shows the
// option's value name alone.
CLI::Validator Check(std::function<std::string(const std::string&)> check) {
  return CLI::Validator(std::move(check), "");
}

CLI::Validator SideCheck(std::int32_t largest) {
  return Check([largest](const std::string& text) -> std::string {
    if (WholeNumber(text, smallestGridSide, largest)) return {};
    return "must be a whole number from " + std::to_string(smallestGridSide) + " to " +
           std::to_string(largest) + ", not '" + text + "'";
  });
}

// X0:X1:Y0:Y1 with X0 < X1 and Y0 < Y1.
std::optional<app::MapRegion> ReadRegion(const std::string& text) {
  const std::optional<std::vector<double>> bounds = ReadFiniteNumbers(text, 4);
  if (!bounds) return std::nullopt;
  const app::MapRegion region{(*bounds)[0], (*bounds)[1], (*bounds)[2], (*bounds)[3]};
  if (!(region.x0 < region.x1 && region.y0 < region.y1)) return std::nullopt;
  return region;
}

// S, or WxH: the sides of a grid, each from smallestGridSide to `largest`.
struct GridSides {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
std::optional<GridSides> ReadGridSides(const std::string& text, std::int32_t largest) {
  const std::size_t times = text.find('x');
  const auto width = WholeNumber(text.substr(0, times), smallestGridSide, largest);
  const auto height = times == std::string::npos ? width : WholeNumber(text.substr(times + 1), smallestGridSide, largest);
  if (!width || !height) return std::nullopt;
  return GridSides{*width, *height};
}

std::string CheckKeyframe(const std::string& text) {
  if (ReadKeyframe(text)) return {};
  return "must be CX:CY:W, three finite numbers with W > 0 (the centre and the width), not '" + text + "'";
}

std::string CheckSweep(const std::string& text) {
  if (ReadSweep(text)) return {};
  return "must be NAME:A:B with NAME g, m, friction, height, magnetK.x, magnetK.y or magnetK.strength and A, B "
         "finite (above 0 for g, m and a strength, at least 0 for friction and height), not '" + text + "'";
}

std::string CheckSize(const std::string& text) {
  if (text.find('x') != std::string::npos && ReadGridSides(text, largestGridSide)) return {};
  return "must be WxH, whole numbers from " + std::to_string(smallestGridSide) + " to " +
         std::to_string(largestGridSide) + ", not '" + text + "'";
}

std::string CheckFrameCount(const std::string& text) {
  if (WholeNumber(text, 1, largestFrameCount)) return {};
  return "must be a whole number from 1 to " + std::to_string(largestFrameCount) + ", not '" + text + "'";
}

constexpr double largestFramesPerSecond = 1000;

std::string CheckFramesPerSecond(const std::string& text) {
  const std::optional<double> rate = FiniteNumber(text);
  if (rate && *rate > 0 && *rate <= largestFramesPerSecond) return {};
  return "must be a number above 0 and at most 1000, not '" + text + "'";
}

std::string CheckSeconds(const std::string& text) {
  const std::optional<double> seconds = FiniteNumber(text);
  if (seconds && *seconds > 0) return {};
  return "must be a number above 0, not '" + text + "'";
}

std::string CheckRegion(const std::string& text) {
  if (ReadRegion(text)) return {};
  return "must be X0:X1:Y0:Y1, four finite numbers with X0 < X1 and Y0 < Y1, not '" + text + "'";
}

// A finite number for which `holds` is true.
std::function<std::string(const std::string&)> NumberCheck(std::string range, std::function<bool(double)> holds) {
  return [range = std::move(range), holds = std::move(holds)](const std::string& text) -> std::string {
    const std::optional<double> value = FiniteNumber(text);
    if (value && holds(*value)) return {};
    return "must be a finite number " + range + ", not '" + text + "'";
  };
}

// Whether the file holds a line that is neither blank nor a comment (# or
// ;): CLI11 passes over lines it cannot read, so a file of such lines alone
// reads as an empty configuration.
bool HasOtherThanComments(const std::string& path) {
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] != '#' && line[first] != ';') return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// The one description of the command line: every option with its value
// name, its help line and its check. The help text is generated from it.

// The map's values of the form, in the form's fields.
struct FormOption {
  const char* name;
  const char* valueName;
  app::FieldName field;
  const char* help;
};
constexpr FormOption formOptions[] = {
    {"--g", "G", app::FieldName::g, "pendulum coefficient, above 0"},
    {"--m", "M", app::FieldName::m, "magnet strength, above 0"},
    {"--n", "N", app::FieldName::n, "trial count: steps per start point"},
};
constexpr std::size_t formOptionCount = std::size(formOptions);

std::string MapDescription() {
  return std::string("Computes the map of start points on all cores, without ") + Words().formPlace +
         R"( or display,
and writes it as a PNG picture. The form's values are read and checked as the
form does.)";
}

const app::FormField& FieldOf(app::FieldName name) {
  for (const app::FormField& field : app::FormFields()) {
    if (field.name == name) return field;
  }
  return app::FormFields().front();
}

// " (default)" as the form shows a field's default.
std::string ShownDefault(app::FieldName name) { return " (" + FieldOf(name).defaultText + ")"; }

// After the options: the form, and what holds for every command, in the
// words of this build's platform.
std::string Footer() {
  using app::FieldName;
  const PlatformWords& words = Words();
  return std::string("Without a command, magpend asks for six values in the ") + words.formPlace +
         R"( and then shows
the window "Pendelweg" (one pendulum's path) and after it "Startpunkte" (which
magnet catches a pendulum released at each start point). The form's fields:
  x, y  where the path's bob is released: )" + app::ShortestText(-app::startLimit) + " < x, y < " +
         app::ShortestText(app::startLimit) + " (" +
         FieldOf(FieldName::x).defaultText + ", " + FieldOf(FieldName::y).defaultText + R"()
  g     pendulum coefficient, the pull back to the centre: > 0)" + ShownDefault(FieldName::g) + R"(
  m     magnet strength: > 0)" + ShownDefault(FieldName::m) + R"(
  v     delay: the path pauses 200 v ms after each step: >= 0)" + ShownDefault(FieldName::v) + R"(
  n     trial count: 100 n steps for the path, n per start point)" + ShownDefault(FieldName::n) + R"(
Enter keeps a default; 0 for g, v or n also means the default. A value out of
range ends the program without any window.
An option's value follows it as the next argument or after "=".
Ctrl+C is a key of the form; )" + words.endKey + R"( ends the program.
Exit codes: )" + std::to_string(exitDone) + " done, " + std::to_string(exitNotDone) + " no " + words.formPlace +
         R"( for the form, a picture not written or no
window for explore,
)" + std::to_string(exitWrongInput) + R"( a wrong command line or value or a --save folder that cannot be made (for
a film also no ffmpeg or a folder that cannot be written),
)" + std::to_string(exitInterrupted) + R"( a map or film stopped by Ctrl+C.
More: )" + words.manual + ".";
}

// The command line declared in CLI11 once (options, commands, defaults,
// checks and help), and its parsing into a CommandLineReading.
class CommandLineParser {
 public:
  CommandLineParser() {
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app_.allow_extras();
    app_.footer(Footer());
    app_.set_help_flag("-h,--help", "show this text");
    app_.get_formatter()->column_width(25);
    app_.add_option("--save", saveFolder_,
                    "also write each window's picture into the folder DIR:\n"
                    "pendelweg.png when the path window closes,\n"
                    "startpunkte.png when the map ends (after Escape: the\n"
                    "map as it stands)")
        ->type_name("DIR");
    app_.add_flag("--version", version_, "show the version");
    DescribeMap();
    DescribeMerge();
    DescribeExplore();
    DescribeFilm();
  }

  // Parses the arguments; a CLI::ParseError says what went wrong.
  void Parse(std::span<const std::string> arguments) {
    // CLI11 takes the arguments from the last to the first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    app_.parse(reversed);
  }

  std::string Help() const { return app_.help("", CLI::AppFormatMode::All); }

  // What the arguments asked for, or what is wrong with them.
  CommandLineReading Reading();

  // The first required option or argument that was not given, as "map
  // needs -o FILE.png".
  std::string MissingRequirement() const;

 private:
  void DescribeMap();
  void DescribeMerge();
  void DescribeExplore();
  void DescribeFilm();
  // The options of the form's values, of the region and of --shade, which
  // map and explore share.
  void DescribeMapValues(CLI::App& command);
  void DescribePendulum(CLI::App& command);
  std::string Unexpected() const;
  std::string ApplyPendulum(const CLI::App& command, app::Pendulum& pendulum) const;
  // The values of configuration file items that the command line did not
  // give; what is wrong with the file, empty when nothing.
  std::string ReadConfigFile(CLI::App& command);
  // The command's values, from the command line and its configuration file.
  std::string ApplyMapValues(CLI::App& command, app::PendulumValues& values);
  std::string ApplyFormRules(const CLI::App& command, app::PendulumValues& values);
  void ApplyRegion(const CLI::App& command, app::MapRegion& region, app::Shading& shading) const;
  void ApplyGrid(MapCommand& map) const;
  std::string ApplyRows();
  CommandLineReading PrintedConfig(const CLI::App& command);
  std::string ApplyFilm();
  std::string ApplyFilmFrames();
  std::string ApplyFilmMotion();

  CLI::App app_{"", "magpend"};
  CLI::App* map_ = nullptr;
  CLI::App* merge_ = nullptr;
  CLI::App* explore_ = nullptr;
  CLI::App* film_ = nullptr;
  CommandLine line_;
  std::string saveFolder_;
  bool version_ = false;
  std::string formTexts_[formOptionCount];
  std::string rows_;
  std::string grid_;
  std::string region_;
  bool shade_ = false;
  bool markers_ = false;
  // The pendulum's options as given (or as the configuration file gives them).
  std::string magnets_ = app::MagnetsText(app::DefaultMagnetPlaces());
  std::string height_ = "0";
  std::string friction_ = "0";
  std::string capture_ = app::ShortestText(app::defaultCaptureRadius);
  std::string configFile_;
  bool printConfig_ = false;
  // The film's values as typed, read once all checks have passed.
  struct FilmTexts {
    std::string size, from, to, at, sweep, frames, seconds, framesPerSecond, frameRange, printedFrame;
    std::string framesFolder;
    bool encode = false;
  } filmTexts_;
};

void CommandLineParser::DescribeMapValues(CLI::App& command) {
  for (std::size_t i = 0; i < formOptionCount; ++i) {
    // The form's default text, for the help to show; only a value given
    // counts (ApplyFormRules).
    formTexts_[i] = FieldOf(formOptions[i].field).defaultText;
    command.add_option(formOptions[i].name, formTexts_[i], formOptions[i].help)
        ->capture_default_str()
        ->type_name(formOptions[i].valueName)
        ->check(Check(CheckFormNumber));
  }
  DescribePendulum(command);
}

void CommandLineParser::DescribePendulum(CLI::App& command) {
  command.add_option("--magnets", magnets_,
                     "the magnets: \"X,Y[,S];X,Y[,S];...\", 1 to 8 at (X, Y),\n"
                     "|X|, |Y| <= 200, each pulling S m / R^2 (S > 0, 1 when\n"
                     "left out); or N@R[,A]: N evenly on a circle of radius R,\n"
                     "the first at A degrees (180) (the form's three)")
      ->type_name("LIST")
      ->capture_default_str()
      ->check(Check([](const std::string& text) { return app::ReadMagnets(text).mistake; }));
  command.add_option("--height", height_, "the magnets lie H below the bob's lowest point, H >= 0")
      ->type_name("H")
      ->capture_default_str()
      ->check(Check(NumberCheck("at least 0", [](double h) { return h >= 0; })));
  command.add_option("--friction", friction_, "a drag -K v on the bob, K >= 0 (0: none)")
      ->type_name("K")
      ->capture_default_str()
      ->check(Check(NumberCheck("at least 0", [](double k) { return k >= 0; })));
  command.add_option("--capture", capture_,
                     "a bob within C of a magnet is caught, C > 0")
      ->type_name("C")
      ->capture_default_str()
      ->check(Check(NumberCheck("above 0", [](double c) { return c > 0; })));
  command.add_option("--config", configFile_,
                     "read these options from FILE (TOML or INI, as\n"
                     "--print-config writes it); the command line's own win")
      ->type_name("FILE")
      ->configurable(false);
  command.add_flag("--print-config", printConfig_,
                   "print the options in force as such a file and end,\n"
                   "computing nothing")
      ->configurable(false);
}

void CommandLineParser::DescribeMap() {
  map_ = app_.add_subcommand("map", MapDescription());
  map_->allow_extras();
  DescribeMapValues(*map_);
  map_->add_option("--grid", grid_,
                   "an S x S (or W x H) picture, one pixel per start point,\neach side from " +
                       std::to_string(smallestGridSide) + " to " + std::to_string(largestGridSide) +
                       ", the points spread evenly over\nthe region (" + std::to_string(app::gridSide) +
                       ": the window's); without it, the window's own\n" + std::to_string(app::runWindowWidth) +
                       " x " + std::to_string(app::runWindowHeight) + " picture")
      ->type_name("S|WxH")
      ->check(Check([](const std::string& text) -> std::string {
        if (ReadGridSides(text, largestGridSide)) return {};
        return "must be S or WxH, whole numbers from " + std::to_string(smallestGridSide) + " to " +
               std::to_string(largestGridSide) + ", not '" + text + "'";
      }));
  map_->add_option("--region", region_,
                   "with --grid: the points' x from X0 to X1 and y from\n"
                   "Y0 to Y1 (" + app::RegionText({}) + ")")
      ->type_name("X0:X1:Y0:Y1")
      ->check(Check(CheckRegion));
  map_->add_flag("--shade", shade_,
                 "with --grid: each point's colour darkened by the steps\n"
                 "its trial took (full colour: caught at once)");
  map_->add_flag("--markers", markers_, "with --grid: the magnets' markers over the points");
  map_->add_option("--rows", rows_,
                   "only the rows A to B-1 (row 0 at the bottom): a band\n"
                   "of the map for `magpend merge`, so that a big map can\n"
                   "be made in parts")
      ->type_name("A:B")
      ->configurable(false);
  map_->add_option("-o", line_.map.output, "the picture file (written whole or not at all)")
      ->type_name("FILE.png")
      ->configurable(false);
  map_->add_option("--results", line_.map.results,
                   "also every start point's result (its magnet and steps)\n"
                   "to FILE, which `magpend explore --known` reads")
      ->type_name("FILE")
      ->configurable(false);
}

void CommandLineParser::DescribeMerge() {
  merge_ = app_.add_subcommand("merge", "Joins band files of one map, in any order, into one picture.");
  merge_->allow_extras();
  merge_->add_option("-o", line_.mergeOutput, "the picture file")->type_name("FILE.png")->required();
  merge_->add_option("BAND.png", line_.bands, "the band files to join")->type_name("")->required();
}

void CommandLineParser::DescribeExplore() {
  explore_ = app_.add_subcommand("explore", R"(Shows the map in a window of its own and lets the mouse and keys explore it:
a click shows a start point's path, a drag or the wheel zooms in, the right
button or Backspace goes back, Home to the first view, the arrows pan; a
magnet's marker dragged moves the magnet, g/G, -/+ and f/F change g, m and the
friction, M hides the markers, P saves the values, S the picture; Escape or Q
ends. Every finished view prints the `magpend map` command that computes it.)");
  explore_->allow_extras();
  DescribeMapValues(*explore_);
  explore_->add_option("--grid", line_.explore.side,
                       "the view: S x S start points and pixels, " + std::to_string(smallestGridSide) + " to " +
                           std::to_string(largestExploreSide) + " (" + std::to_string(app::defaultExploreSide) + ")")
      ->type_name("S")
      ->check(SideCheck(largestExploreSide));
  explore_->add_option("--region", region_, "the first view's x and y bounds (" + app::RegionText({}) + ")")
      ->type_name("X0:X1:Y0:Y1")
      ->check(Check(CheckRegion));
  explore_->add_flag("--shade", shade_, "darken each point by the steps its trial took");
  explore_->add_option("--cache", line_.explore.cachedResults,
                       "trial results kept for later views, 0 to " + std::to_string(largestCache) + " (" +
                           std::to_string(app::TrialCache::defaultCapacity) + ", some " +
                           std::to_string(app::TrialCache::defaultCapacity * app::TrialCache::bytesPerResult >> 20) +
                           " MB)")
      ->type_name("N")
      ->check(Check([](const std::string& text) -> std::string {
        if (WholeNumber(text, 0, largestCache)) return {};
        return "must be a whole number from 0 to " + std::to_string(largestCache) + ", not '" + text + "'";
      }));
  explore_->add_option("--known", line_.explore.known,
                       "trial results computed before (`magpend map --results`),\n"
                       "used in every view that shares their start points and values")
      ->type_name("FILE")
      ->configurable(false);
}

void CommandLineParser::DescribeFilm() {
  film_ = app_.add_subcommand("film", R"(Makes a zoom film, or a sweep of one value over one view: its frames as PNG
pictures in a frames folder, on all cores, then the video by ffmpeg. Frame k
is the picture of one `magpend map` command (--print-frame K prints it). A
film started again computes only the frames missing or damaged. A zoom's
width changes by the same factor every frame and its centre moves with it,
so the zoom looks steady; a sweep's value moves linearly.)");
  film_->allow_extras();
  FilmTexts& texts = filmTexts_;
  film_->add_option("-o", line_.film.output, "the video: H.264 in .mp4 or VP9 in .webm (written whole)")
      ->type_name("FILM.mp4|FILM.webm")
      ->required();
  film_->add_option("--size", texts.size, "the frames' pixels, one per start point (even for .mp4)")
      ->type_name("WxH")
      ->check(Check(CheckSize))
      ->required();
  CLI::Option* frames = film_->add_option("--frames", texts.frames, "the number of frames")
                            ->type_name("N")
                            ->check(Check(CheckFrameCount));
  film_->add_option("--seconds", texts.seconds, "or the film's length: T times F frames, rounded")
      ->type_name("T")
      ->check(Check(CheckSeconds))
      ->excludes(frames);
  film_->add_option("--fps", texts.framesPerSecond, "frames a second of the video (30)")
      ->type_name("F")
      ->check(Check(CheckFramesPerSecond));
  film_->add_option("--from", texts.from, "a zoom: the first frame's centre and width")
      ->type_name("CX:CY:W")
      ->check(Check(CheckKeyframe));
  film_->add_option("--to", texts.to, "a zoom: the last frame's centre and width")
      ->type_name("CX:CY:W")
      ->check(Check(CheckKeyframe));
  film_->add_option("--at", texts.at, "a sweep: the view's centre and width")
      ->type_name("CX:CY:W")
      ->check(Check(CheckKeyframe));
  film_->add_option("--sweep", texts.sweep,
                    "a sweep: NAME (g, m, friction, height, magnetK.x,\n"
                    "magnetK.y, magnetK.strength) from A (the first frame)\nto B (the last)")
      ->type_name("NAME:A:B")
      ->check(Check(CheckSweep));
  DescribeMapValues(*film_);
  film_->add_flag("--shade", shade_, "darken each point by the steps its trial took");
  film_->add_option("--frames-dir", texts.framesFolder, "the frames folder (FILM.frames)")->type_name("DIR");
  CLI::Option* range = film_->add_option("--frame-range", texts.frameRange,
                                         "only the frames A to B-1, and no video: one task of\n"
                                         "a job array")
                           ->type_name("A:B");
  film_->add_flag("--encode", texts.encode, "only the video, from a complete frames folder")->excludes(range);
  film_->add_option("--print-frame", texts.printedFrame, "print frame K's `magpend map` command and end")
      ->type_name("K");
}

// The first argument nobody took: an unknown option before any other.
std::string CommandLineParser::Unexpected() const {
  const CLI::App& where = map_->parsed()       ? *map_
                          : merge_->parsed()   ? *merge_
                          : explore_->parsed() ? *explore_
                          : film_->parsed()    ? *film_
                                               : app_;
  const std::vector<std::string> left = where.remaining();
  if (left.empty()) return {};
  for (const std::string& argument : left) {
    if (argument.starts_with("-") && argument != "-") return "unknown option '" + argument + "'";
  }
  if (&where == &app_) return "unknown command '" + left.front() + "'";
  return where.get_name() + " takes no argument '" + left.front() + "'";
}

// g, m and n as the form takes them from these field texts: its defaults and
// its checks.
std::string CommandLineParser::ApplyFormRules(const CLI::App& command, app::PendulumValues& values) {
  app::FormEntries entries;
  for (std::size_t i = 0; i < formOptionCount; ++i) {
    if (command.count(formOptions[i].name) > 0) app::KeepField(entries, FieldOf(formOptions[i].field), formTexts_[i]);
  }
  const app::SimulationParameters parameters = app::ApplyDefaults(entries);
  if (const auto invalid = app::FirstInvalidField(parameters)) {
    for (std::size_t i = 0; i < formOptionCount; ++i) {
      if (formOptions[i].field == *invalid) {
        return std::string(formOptions[i].name) + " must be above 0, not '" + formTexts_[i] + "'";
      }
    }
  }
  values.g = parameters.g;
  values.m = parameters.m;
  values.n = parameters.n;
  return {};
}

// The checks have passed: the region's text reads.
void CommandLineParser::ApplyRegion(const CLI::App& command, app::MapRegion& region, app::Shading& shading) const {
  if (command.count("--region") > 0) region = *ReadRegion(region_);
  if (shade_) shading = app::Shading::bySteps;
}

// The checks of single values have passed: the texts read.
std::string CommandLineParser::ApplyPendulum(const CLI::App& command, app::Pendulum& pendulum) const {
  if (command.count("--magnets") > 0) pendulum.magnets = app::ReadMagnets(magnets_).magnets;
  if (command.count("--height") > 0) pendulum.height = *FiniteNumber(height_);
  if (command.count("--friction") > 0) pendulum.friction = *FiniteNumber(friction_);
  if (command.count("--capture") > 0) pendulum.captureRadius = *FiniteNumber(capture_);
  return app::PendulumMistake(pendulum);
}

std::string CommandLineParser::ReadConfigFile(CLI::App& command) {
  if (command.count("--config") == 0) return {};
  std::vector<CLI::ConfigItem> items;
  try {
    items = CLI::ConfigTOML().from_file(configFile_);
  } catch (const CLI::FileError&) {
    return "--config: cannot read '" + configFile_ + "'";
  } catch (const CLI::Error& error) {
    return "--config: '" + configFile_ + "' is not a configuration file: " + error.what();
  }
  if (items.empty() && HasOtherThanComments(configFile_)) {
    return "--config: '" + configFile_ + "' is not a configuration file (no name=value line)";
  }
  for (const CLI::ConfigItem& item : items) {
    if (!item.parents.empty() || item.name == "++" || item.name == "--") {
      return "--config: '" + configFile_ + "' has a section [" + item.fullname() + "]; only plain options count";
    }
    CLI::Option* option = command.get_option_no_throw("--" + item.name);
    if (option == nullptr || !option->get_configurable()) {
      return "--config: '" + configFile_ + "' names no option of " + command.get_name() + ": '" + item.name + "'";
    }
    if (option->count() > 0) continue;  // given on the command line
    if (option->get_expected_min() == 0) {
      option->add_result(CLI::ConfigTOML().to_flag(item));
    } else {
      option->add_result(item.inputs);
    }
    option->run_callback();  // checks the value and stores it
  }
  return {};
}

// The checks have passed: --grid reads. A square WxH is the grid S, so that
// both name the same map.
void CommandLineParser::ApplyGrid(MapCommand& map) const {
  if (map_->count("--grid") == 0) return;
  const GridSides sides = *ReadGridSides(grid_, largestGridSide);
  map.gridSide = sides.width;
  map.gridHeight = sides.height == sides.width ? 0 : sides.height;
}

// A:B with 0 <= A < B <= end; nothing otherwise.
std::optional<std::pair<std::int32_t, std::int32_t>> ReadRange(const std::string& text, std::int32_t end) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const auto first = WholeNumber(text.substr(0, colon), 0, end - 1);
  const auto last = WholeNumber(text.substr(colon + 1), 1, end);
  if (!first || !last || *first >= *last) return std::nullopt;
  return std::pair{*first, *last};
}

// The checks have passed: the film's values read; what is left to check
// is how they go together.
std::string CommandLineParser::ApplyFilm() {
  FilmCommand& film = line_.film;
  const FilmTexts& texts = filmTexts_;
  const std::string extension = film.output.extension().string();
  if (extension != ".mp4" && extension != ".webm") {
    return "-o must name a .mp4 or .webm file, not '" + film.output.string() + "'";
  }
  film.format = extension == ".mp4" ? VideoFormat::mp4 : VideoFormat::webm;
  const GridSides size = *ReadGridSides(texts.size, largestGridSide);
  if (film.format == VideoFormat::mp4 && (size.width % 2 != 0 || size.height % 2 != 0)) {
    return "--size must be even on both sides for an MP4 (H.264 needs that), not '" + texts.size + "'";
  }
  film.plan.pixelsWide = size.width;
  film.plan.pixelsHigh = size.height;
  if (auto mistake = ApplyFilmMotion(); !mistake.empty()) return mistake;
  if (film_->count("--fps") > 0) film.framesPerSecond = *FiniteNumber(texts.framesPerSecond);
  if (shade_) film.shading = app::Shading::bySteps;
  film.framesFolder = film_->count("--frames-dir") > 0
                          ? std::filesystem::path(texts.framesFolder)
                          : std::filesystem::path(film.output).replace_extension(".frames");
  if (auto mistake = ApplyFilmFrames(); !mistake.empty()) return mistake;
  if (film.sweep.value != SweptValue::none) {
    // Every frame's pendulum passes the checks of one given whole.
    for (std::int32_t frame = 0; frame < film.plan.frameCount; ++frame) {
      if (auto mistake = app::PendulumMistake(FrameCommand(film, frame).values.pendulum); !mistake.empty()) {
        return "--sweep " + SweptName(film.sweep) + ": frame " + std::to_string(frame) + ": " + mistake;
      }
    }
  }
  if (const auto frame = FirstDegenerateFrame(film.plan)) {
    return "frame " + std::to_string(*frame) +
           "'s region has bounds that doubles cannot tell apart (a width too small for its centre)";
  }
  return {};
}

std::string CommandLineParser::ApplyMapValues(CLI::App& command, app::PendulumValues& values) {
  if (auto mistake = ReadConfigFile(command); !mistake.empty()) return mistake;
  if (auto mistake = ApplyFormRules(command, values); !mistake.empty()) return mistake;
  return ApplyPendulum(command, values.pendulum);
}

// A zoom's keyframes, or a sweep's view and value.
std::string CommandLineParser::ApplyFilmMotion() {
  FilmCommand& film = line_.film;
  const FilmTexts& texts = filmTexts_;
  const bool zoom = film_->count("--from") + film_->count("--to") > 0;
  const bool sweep = film_->count("--at") + film_->count("--sweep") > 0;
  if (zoom == sweep) {
    return zoom ? "a film is a zoom (--from, --to) or a sweep (--at, --sweep), not both"
                : "film needs --from and --to (a zoom) or --at and --sweep (a sweep)";
  }
  if (zoom) {
    if (film_->count("--from") == 0 || film_->count("--to") == 0) return "a zoom needs both --from and --to";
    film.plan.from = *ReadKeyframe(texts.from);
    film.plan.to = *ReadKeyframe(texts.to);
    return {};
  }
  if (film_->count("--at") == 0 || film_->count("--sweep") == 0) return "a sweep needs both --at and --sweep";
  film.plan.from = film.plan.to = *ReadKeyframe(texts.at);
  film.sweep = *ReadSweep(texts.sweep);
  const std::string name = SweptName(film.sweep);
  const CLI::Option* own = film_->get_option_no_throw("--" + name);  // none for a magnet's value
  if (own != nullptr && own->count() > 0) {
    return "--" + name + " and --sweep " + name + " both give " + name + "; the sweep gives it to every frame";
  }
  if (static_cast<std::size_t>(film.sweep.magnet) >= film.values.pendulum.magnets.size()) {
    return "--sweep " + name + ": the pendulum has " + std::to_string(film.values.pendulum.magnets.size()) + " magnets";
  }
  return {};
}

// The frame count, and which frames the run computes.
std::string CommandLineParser::ApplyFilmFrames() {
  FilmCommand& film = line_.film;
  const FilmTexts& texts = filmTexts_;
  if (film_->count("--frames") > 0) {
    film.plan.frameCount = *WholeNumber(texts.frames, 1, largestFrameCount);
  } else if (film_->count("--seconds") > 0) {
    const double frames = std::round(*FiniteNumber(texts.seconds) * film.framesPerSecond);
    if (!(frames >= 1 && frames <= largestFrameCount)) {
      return "--seconds " + texts.seconds + " makes " + (frames < 1 ? "no frame" : "more than 1000000 frames") +
             " at the frame rate";
    }
    film.plan.frameCount = static_cast<std::int32_t>(frames);
  } else {
    return "film needs --frames N or --seconds T";
  }
  const std::int32_t count = film.plan.frameCount;
  const std::string frameWords = " (the film's frames), not '";
  film.firstFrame = 0;
  film.endFrame = count;
  if (film_->count("--print-frame") > 0) {
    const auto frame = WholeNumber(texts.printedFrame, 0, count - 1);
    if (!frame) {
      return "--print-frame must be a whole number from 0 to " + std::to_string(count - 1) + frameWords +
             texts.printedFrame + "'";
    }
    film.step = FilmStep::printFrame;
    film.printedFrame = *frame;
  } else if (film_->count("--frame-range") > 0) {
    const auto range = ReadRange(texts.frameRange, count);
    if (!range) {
      return "--frame-range must be A:B with 0 <= A < B <= " + std::to_string(count) + frameWords + texts.frameRange +
             "'";
    }
    film.step = FilmStep::computeRange;
    std::tie(film.firstFrame, film.endFrame) = *range;
  } else if (texts.encode) {
    film.step = FilmStep::encode;
  }
  return {};
}

// --rows A:B within the map's rows, which --grid decides.
std::string CommandLineParser::ApplyRows() {
  const MapCommand& map = line_.map;
  const std::int32_t rows = map.gridHeight != 0 ? map.gridHeight : map.gridSide != 0 ? map.gridSide : app::gridSide;
  line_.map.firstRow = 0;
  line_.map.endRow = rows;
  if (map_->count("--rows") == 0) return {};
  const auto range = ReadRange(rows_, rows);
  if (!range) {
    return "--rows must be A:B with 0 <= A < B <= " + std::to_string(rows) + " (the map's rows, 0 at the bottom), not '" +
           rows_ + "'";
  }
  std::tie(line_.map.firstRow, line_.map.endRow) = *range;
  return {};
}

CommandLineReading CommandLineParser::Reading() {
  if (version_) {
    line_.command = Command::version;
    return {line_, {}};
  }
  if (auto mistake = Unexpected(); !mistake.empty()) return {{}, mistake + seeHelp};
  if (map_->parsed()) {
    line_.command = Command::map;
    MapCommand& map = line_.map;
    if (auto mistake = ApplyMapValues(*map_, map.values); !mistake.empty()) {
      return {{}, mistake};
    }
    if (printConfig_) return PrintedConfig(*map_);
    if (map_->count("-o") == 0) return {{}, "map needs -o FILE.png" + seeHelp};
    if (map_->count("--grid") == 0 && (map_->count("--region") > 0 || shade_ || markers_)) {
      const char* option = shade_ ? "--shade" : markers_ ? "--markers" : "--region";
      return {{}, std::string(option) + " needs --grid (the window's picture has its own markers)"};
    }
    ApplyGrid(map);
    ApplyRegion(*map_, map.region, map.shading);
    map.markers = markers_;
    if (auto mistake = ApplyRows(); !mistake.empty()) return {{}, mistake};
  } else if (explore_->parsed()) {
    line_.command = Command::explore;
    ExploreCommand& explore = line_.explore;
    if (auto mistake = ApplyMapValues(*explore_, explore.values);
        !mistake.empty()) {
      return {{}, mistake};
    }
    if (printConfig_) return PrintedConfig(*explore_);
    ApplyRegion(*explore_, explore.region, explore.shading);
  } else if (film_->parsed()) {
    line_.command = Command::film;
    FilmCommand& film = line_.film;
    if (auto mistake = ApplyMapValues(*film_, film.values); !mistake.empty()) {
      return {{}, mistake};
    }
    if (printConfig_) return PrintedConfig(*film_);
    if (auto mistake = ApplyFilm(); !mistake.empty()) return {{}, mistake};
  } else if (merge_->parsed()) {
    line_.command = Command::merge;
  } else if (app_.count("--save") > 0) {
    line_.saveFolder = saveFolder_;
  }
  return {line_, {}};
}

// The options given and the defaults of those that have one, each a line
// "name=value"; an option with neither (the picture's --grid, say) is left
// out rather than written as an empty value that would not read back.
CommandLineReading CommandLineParser::PrintedConfig(const CLI::App& command) {
  line_.command = Command::printConfig;
  std::istringstream lines(command.config_to_str(true, false));
  for (std::string line; std::getline(lines, line);) {
    if (!line.ends_with("=\"\"")) line_.configText += line + "\n";
  }
  return {line_, {}};
}

std::string CommandLineParser::MissingRequirement() const {
  for (const CLI::App* command : {map_, merge_, film_}) {
    if (!command->parsed()) continue;
    for (const CLI::Option* option : command->get_options()) {
      if (!option->get_required() || option->count() > 0) continue;
      const std::string what = option->nonpositional() ? option->get_name() + " " + option->get_type_name()
                                                       : option->get_description();
      return command->get_name() + " needs " + what;
    }
  }
  return "a required value is missing";
}

// CLI11's errors name the option first: "NAME: what".
std::string OptionNamed(const CLI::Error& error) {
  const std::string text = error.what();
  return text.substr(0, text.find(':'));
}

std::string WhatIsNamed(const CLI::Error& error) {
  const std::string text = error.what();
  const auto colon = text.find(": ");
  return colon == std::string::npos ? text : text.substr(colon + 2);
}

}  // namespace

CommandLineReading ReadCommandLine(std::span<const std::string> arguments) {
  CommandLineParser parser;
  CommandLineReading reading;
  try {
    parser.Parse(arguments);
    reading = parser.Reading();
  } catch (const CLI::CallForHelp&) {
    reading.commandLine.command = Command::help;
  } catch (const CLI::CallForAllHelp&) {
    reading.commandLine.command = Command::help;
  } catch (const CLI::ValidationError& error) {
    reading.mistake = OptionNamed(error) + " " + WhatIsNamed(error);
  } catch (const CLI::ArgumentMismatch& error) {
    reading.mistake = OptionNamed(error) + " needs a value" + seeHelp;
  } catch (const CLI::RequiredError&) {
    reading.mistake = parser.MissingRequirement() + seeHelp;
  } catch (const CLI::ParseError& error) {
    reading.mistake = error.what() + seeHelp;
  }
  return reading;
}

std::string VersionText() { return "magpend " MAGPEND_VERSION "\n"; }

std::string UsageText() { return CommandLineParser().Help(); }

}  // namespace cli
