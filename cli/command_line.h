// The program's command line. Without arguments magpend is the interactive
// program: the form in the terminal, then its two windows. Options add to
// that, and the commands `map` and `merge` make pictures without a terminal
// or a display:
//
//   magpend [--save DIR]
//   magpend map [--g G] [--m M] [--n N] [--grid S|WxH [--region X0:X1:Y0:Y1] [--shade]]
//               [--rows A:B] -o FILE.png
//   magpend merge -o FILE.png BAND.png...
//   magpend explore [--g G] [--m M] [--n N] [--grid S] [--region X0:X1:Y0:Y1] [--shade]
//   magpend --help | --version
//
// An option's value follows it as the next argument or after "=".
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/map_scan.h"
#include "app/point_color.h"

namespace cli {

enum class Command {
  interactive,  // the form and the windows
  help,         // print the usage, exit 0
  version,      // print the version, exit 0
  map,          // compute the start-point map into a picture file
  merge,        // join band files into one picture
  explore,      // the map in a window, explored with the mouse and keys
};

inline constexpr std::int32_t smallestGridSide = 2;
inline constexpr std::int32_t largestGridSide = 8192;
// The explorer's drawing area: S x S pixels.
inline constexpr std::int32_t defaultExploreSide = 600;
inline constexpr std::int32_t largestExploreSide = 2048;

// What `magpend map` was asked for. g, m and n are read as the form reads
// them and pass the form's checks.
struct MapCommand {
  double g = app::defaultParameters.g;  // pendulum coefficient
  double m = app::defaultParameters.m;  // magnet strength
  double n = app::defaultParameters.n;  // trial count: steps per start point
  // 0: the picture of the "Startpunkte" window (its drawing area, its grid
  // of start points); otherwise an S x S picture, one pixel per start point
  // (S x gridHeight when gridHeight is not 0: --grid WxH with W != H).
  std::int32_t gridSide = 0;
  std::int32_t gridHeight = 0;
  app::MapRegion region;                      // --grid: where its points lie
  app::Shading shading = app::Shading::none;  // --grid: --shade
  std::int32_t firstRow = 0;  // rows of start points firstRow .. endRow-1,
  std::int32_t endRow = 0;    // row 0 at the bottom
  std::filesystem::path output;
};

// What `magpend explore` was asked for: the first view, and the values of
// every view (checked as `magpend map` checks them).
struct ExploreCommand {
  double g = app::defaultParameters.g;  // pendulum coefficient
  double m = app::defaultParameters.m;  // magnet strength
  double n = app::defaultParameters.n;  // trial count: steps per start point
  std::int32_t side = defaultExploreSide;  // the drawing area and the grid: S x S
  app::MapRegion region;
  app::Shading shading = app::Shading::none;
};

struct CommandLine {
  Command command = Command::interactive;
  std::optional<std::filesystem::path> saveFolder;  // interactive: --save DIR
  MapCommand map;                                   // map
  ExploreCommand explore;                           // explore
  std::vector<std::filesystem::path> bands;         // merge: the band files
  std::filesystem::path mergeOutput;                // merge: -o FILE
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
