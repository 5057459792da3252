// The program's command line. Without arguments magpend is the interactive
// program: the form in the terminal, then its two windows. Options add to
// that; the commands `map` and `merge` make pictures without a terminal or
// a display, `explore` shows the map in a window of its own, and `film`
// makes a zoom or a sweep, each frame a map, and its video (through
// ffmpeg):
//
//   magpend [--save DIR]
//   magpend map [PENDULUM] [--grid S|WxH [--region X0:X1:Y0:Y1] [--shade] [--markers]]
//               [--rows A:B] -o FILE.png [--results FILE]
//   magpend merge -o FILE.png BAND.png...
//   magpend explore [PENDULUM] [--grid S] [--region X0:X1:Y0:Y1] [--shade] [--cache N] [--known FILE]
//   magpend film -o FILM.mp4|FILM.webm --size WxH (--frames N | --seconds T) [--fps F]
//                (--from CX:CY:W --to CX:CY:W | --at CX:CY:W --sweep NAME:A:B)
//                [PENDULUM] [--shade]
//                [--frames-dir DIR] [--frame-range A:B | --encode] [--print-frame K]
//   magpend --help | --version
// where PENDULUM is any of
//   [--g G] [--m M] [--n N] [--magnets "X,Y[,S];..." | --magnets N@R[,A]]
//   [--height H] [--friction K] [--capture C] [--config FILE] [--print-config]
//
// An option's value follows it as the next argument or after "=". The
// options of map, explore and film can also come from a configuration file
// (--config, TOML or INI, as --print-config writes it); the command line's
// own options take precedence over the file's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/explore.h"
#include "app/form.h"
#include "app/map_scan.h"
#include "app/pendulum.h"
#include "app/trial_cache.h"
#include "app/point_color.h"
#include "cli/film_plan.h"

namespace cli {

enum class Command {
  interactive,  // the form and the windows
  printConfig,  // print the options in force as a configuration file, exit 0
  help,         // print the usage, exit 0
  version,      // print the version, exit 0
  map,          // compute the start-point map into a picture file
  merge,        // join band files into one picture
  explore,      // the map in a window, explored with the mouse and keys
  film,         // a zoom or a sweep: its frames' maps, then the video
};

inline constexpr std::int32_t smallestGridSide = 2;
inline constexpr std::int32_t largestGridSide = 8192;
// The explorer's drawing area: S x S pixels.
inline constexpr std::int32_t largestExploreSide = 2048;
// A film's frames are named with six digits.
inline constexpr std::int32_t largestFrameCount = 1000000;
inline constexpr double defaultFramesPerSecond = 30;

// What `magpend map` was asked for. g, m and n are read as the form reads
// them and pass the form's checks.
struct MapCommand {
  app::PendulumValues values;  // g, m, n and the pendulum
  // 0: the picture of the "Startpunkte" window (its drawing area, its grid
  // of start points); otherwise an S x S picture, one pixel per start point
  // (S x gridHeight when gridHeight is not 0: --grid WxH with W != H).
  std::int32_t gridSide = 0;
  std::int32_t gridHeight = 0;
  app::MapRegion region;                      // --grid: where its points lie
  app::Shading shading = app::Shading::none;  // --grid: --shade
  bool markers = false;                       // --grid: --markers
  std::int32_t firstRow = 0;  // rows of start points firstRow .. endRow-1,
  std::int32_t endRow = 0;    // row 0 at the bottom
  std::filesystem::path output;
  std::filesystem::path results;  // --results: every trial's result as well (app/known_results.h); empty: none
};

// What `magpend explore` was asked for: the first view, and the values of
// every view (checked as `magpend map` checks them).
struct ExploreCommand {
  app::PendulumValues values;  // g, m, n and the pendulum of every view
  std::int32_t side = app::defaultExploreSide;  // the drawing area and the grid: S x S
  app::MapRegion region;
  app::Shading shading = app::Shading::none;
  std::int32_t cachedResults = app::TrialCache::defaultCapacity;  // trial results kept for later views
  std::filesystem::path known;  // --known: results computed before (app/known_results.h); empty: none
};

// What a `magpend film` run does.
enum class FilmStep {
  computeAndEncode,  // the frames not yet in the frames folder, then the video
  computeRange,      // --frame-range: only those frames, no video
  encode,            // --encode: only the video, from a complete frames folder
  printFrame,        // --print-frame: print one frame's map command, nothing else
};

// The video's container and codec, from the output's extension.
enum class VideoFormat {
  mp4,   // H.264, 4:2:0 (even sides only)
  webm,  // VP9, 4:2:0
};

// What `magpend film` was asked for. Frame k is written as the picture of
// the map command FrameCommand (cli/film_folder.h) names; g, m and n are
// read and checked as `magpend map` reads them.
struct FilmCommand {
  FilmPlan plan;
  Sweep sweep;  // a sweep (--at, --sweep) replaces its value in every frame
  app::PendulumValues values;  // g, m, n and the pendulum of every frame
  app::Shading shading = app::Shading::none;
  double framesPerSecond = defaultFramesPerSecond;
  std::filesystem::path output;        // the video
  VideoFormat format = VideoFormat::mp4;
  std::filesystem::path framesFolder;  // default: the output with .frames for its extension
  FilmStep step = FilmStep::computeAndEncode;
  std::int32_t firstFrame = 0;  // the frames firstFrame .. endFrame-1 are computed
  std::int32_t endFrame = 0;    // (all of them but with --frame-range)
  std::int32_t printedFrame = 0;  // printFrame: which
};

struct CommandLine {
  Command command = Command::interactive;
  std::optional<std::filesystem::path> saveFolder;  // interactive: --save DIR
  MapCommand map;                                   // map
  ExploreCommand explore;                           // explore
  FilmCommand film;                                 // film
  std::vector<std::filesystem::path> bands;         // merge: the band files
  std::filesystem::path mergeOutput;                // merge: -o FILE
  std::string configText;                           // printConfig: the file's text
};

// The command line read, or the one line that says what is wrong with it
// (the program then ends with exit code 2).
struct CommandLineReading {
  CommandLine commandLine;
  std::string mistake;  // empty when the command line is right
};

// Reads the arguments that follow the program's name.
CommandLineReading ReadCommandLine(std::span<const std::string> arguments);

// The text of --help, and of --version.
std::string UsageText();
std::string VersionText();

}  // namespace cli
