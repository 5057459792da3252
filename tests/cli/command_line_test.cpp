#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "app/explore_help.h"
#include "app/form.h"
#include "app/pendulum.h"

namespace cli {
namespace {

CommandLineReading Read(std::vector<std::string> arguments) { return ReadCommandLine(arguments); }

TEST(CommandLineTest, CommandsAndTheirOptions) {
  EXPECT_EQ(Read({}).commandLine.command, Command::interactive);
  EXPECT_FALSE(Read({}).commandLine.saveFolder);
  EXPECT_EQ(Read({"--save", "pics"}).commandLine.saveFolder, "pics");
  EXPECT_EQ(Read({"--save=a b"}).commandLine.saveFolder, "a b");
  for (const auto& help : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"map", "--help"}, {"--bogus", "--help"}}) {
    EXPECT_EQ(Read(help).commandLine.command, Command::help);
  }
  EXPECT_EQ(Read({"--version"}).commandLine.command, Command::version);

  const CommandLine merge = Read({"merge", "b.png", "-o", "all.png", "a.png"}).commandLine;
  EXPECT_EQ(merge.command, Command::merge);
  EXPECT_EQ(merge.mergeOutput, "all.png");
  EXPECT_EQ(merge.bands, (std::vector<std::filesystem::path>{"b.png", "a.png"}));
}

// The map's values are the form's: its defaults, its reading of numbers and
// its checks; only text that is no number at all is refused.
TEST(CommandLineTest, MapValuesAreReadAsTheFormReadsThem) {
  const struct {
    std::vector<std::string> arguments;
    double g, m, n;
  } cases[] = {
      {{}, 5, 400, 2000},
      {{"--g", "0", "--n", "0"}, 5, 400, 2000},  // 0 means the default, as in the form
      {{"--g", "2.5", "--m=1e3", "--n", "-7"}, 2.5, 1000, -7},
      {{"--g", "&H10", "--m", "2D2", "--n", "&B101"}, 16, 200, 5},
      {{"--g", ".5", "--m", "5.", "--n", "&O17"}, 0.5, 5, 15},
      {{"--g", "+1e-1", "--m", "&HFFFF&", "--n", "&17?"}, 0.1, 65535, 15},
      {{"--m", "1", "--m", "7"}, 5, 7, 2000},  // the last one counts
      {{"--n", "1e400"}, 5, 400, HUGE_VAL},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"map", "-o", "x.png"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const CommandLineReading reading = Read(arguments);
    ASSERT_EQ(reading.mistake, "") << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(reading.commandLine.command, Command::map);
    EXPECT_EQ(reading.commandLine.map.values.g, c.g);
    EXPECT_EQ(reading.commandLine.map.values.m, c.m);
    EXPECT_EQ(reading.commandLine.map.values.n, c.n);
    EXPECT_EQ(reading.commandLine.map.output, "x.png");
  }
}

TEST(CommandLineTest, GridAndRows) {
  const struct {
    std::vector<std::string> arguments;
    std::int32_t side, height, firstRow, endRow;
  } cases[] = {
      {{}, 0, 0, 0, 111},
      {{"--rows", "10:20"}, 0, 0, 10, 20},
      {{"--grid", "2"}, 2, 0, 0, 2},
      {{"--grid", "8192", "--rows", "8000:8192"}, 8192, 0, 8000, 8192},
      {{"--rows=0:1", "--grid=1001"}, 1001, 0, 0, 1},
      {{"--grid", "30x20"}, 30, 20, 0, 20},
      {{"--grid", "2x8192", "--rows", "8000:8192"}, 2, 8192, 8000, 8192},
      {{"--grid", "40x40"}, 40, 0, 0, 40},  // square: the grid S, the same map
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"map", "-o", "x.png"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const MapCommand map = Read(arguments).commandLine.map;
    EXPECT_EQ(map.gridSide, c.side);
    EXPECT_EQ(map.gridHeight, c.height);
    EXPECT_EQ(map.firstRow, c.firstRow);
    EXPECT_EQ(map.endRow, c.endRow);
  }
}

TEST(CommandLineTest, MistakesAreOneLineThatNamesWhatIsWrong) {
  const struct {
    std::vector<std::string> arguments;
    std::string mistake;
  } cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--save"}, "--save needs a value"},
      {{"map", "-o"}, "-o needs a value"},
      {{"map", "-o", "x.png", "--g"}, "--g needs a value"},
      {{"map", "--g", "1"}, "map needs -o FILE.png"},
      {{"map", "-o", "x.png", "extra"}, "map takes no argument 'extra'"},
      {{"map", "-o", "x.png", "--x", "1"}, "unknown option '--x'"},
      {{"map", "-o", "x.png", "--g", "-1"}, "--g must be above 0, not '-1'"},
      {{"map", "-o", "x.png", "--m", "0"}, "--m must be above 0, not '0'"},
      {{"map", "-o", "x.png", "--m", "-400"}, "--m must be above 0"},
      {{"map", "-o", "x.png", "--g", "abc"}, "--g needs a number, not 'abc'"},
      {{"map", "-o", "x.png", "--n", "1,5"}, "--n needs a number, not '1,5'"},
      {{"map", "-o", "x.png", "--m", " 7"}, "--m needs a number"},
      {{"map", "-o", "x.png", "--m", "1e"}, "--m needs a number"},
      {{"map", "-o", "x.png", "--m", "."}, "--m needs a number"},
      {{"map", "-o", "x.png", "--m", "&H"}, "--m needs a number"},
      {{"map", "-o", "x.png", "--m", "&8"}, "--m needs a number"},
      {{"map", "-o", "x.png", "--m", "&B12"}, "--m needs a number"},
      {{"map", "-o", "x.png", "--m", "&H1F%%"}, "--m needs a number"},
      {{"map", "-o", "x.png", "--grid", "1"}, "--grid must be S or WxH, whole numbers from 2 to 8192, not '1'"},
      {{"map", "-o", "x.png", "--grid", "5x1"}, "--grid must be S or WxH"},
      {{"map", "-o", "x.png", "--grid", "5x"}, "--grid must be S or WxH"},
      {{"map", "-o", "x.png", "--grid", "x5"}, "--grid must be S or WxH"},
      {{"map", "-o", "x.png", "--grid", "5x8193"}, "--grid must be S or WxH"},
      {{"map", "-o", "x.png", "--grid", "5x5x5"}, "--grid must be S or WxH"},
      {{"map", "-o", "x.png", "--grid", "30x20", "--rows", "0:21"}, "B <= 20"},
      {{"map", "-o", "x.png", "--grid", "8193"}, "--grid must be"},
      {{"map", "-o", "x.png", "--grid", "1e3"}, "--grid must be"},
      {{"map", "-o", "x.png", "--grid", "99999999999"}, "--grid must be"},
      {{"map", "-o", "x.png", "--rows", "5:5"}, "--rows must be A:B with 0 <= A < B <= 111"},
      {{"map", "-o", "x.png", "--rows", "0:112"}, "--rows must be"},
      {{"map", "-o", "x.png", "--grid", "20", "--rows", "0:21"}, "B <= 20"},
      {{"map", "-o", "x.png", "--rows", "-1:5"}, "--rows must be"},
      {{"map", "-o", "x.png", "--rows", "7"}, "--rows must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "1:0:0:1"}, "--region must be X0:X1:Y0:Y1, four finite numbers with X0 < X1 and Y0 < Y1, not '1:0:0:1'"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "0:1:1:1"}, "--region must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "0:1:0"}, "--region must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "0:1:0:1:2"}, "--region must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "0:inf:0:1"}, "--region must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "nan:1:0:1"}, "--region must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "0:1e999:0:1"}, "--region must be"},
      {{"map", "-o", "x.png", "--grid", "5", "--region", "0: 1:0:1"}, "--region must be"},
      {{"map", "-o", "x.png", "--region", "0:1:0:1"}, "--region needs --grid"},
      {{"map", "-o", "x.png", "--shade"}, "--shade needs --grid"},
      {{"map", "-o", "x.png", "--markers"}, "--markers needs --grid"},
      {{"map", "-o", "x.png", "--magnets", "1,1;2,2;3,3;4,4;5,5;6,6;7,7;8,8;9,9"}, "--magnets at most 8 magnets, not 9"},
      {{"map", "-o", "x.png", "--magnets", "1,2;3"}, "--magnets must be \"X,Y[,S];X,Y[,S];...\""},
      {{"map", "-o", "x.png", "--magnets", "nan,0"}, "--magnets must be"},
      {{"map", "-o", "x.png", "--magnets", "1,1;1,1"}, "--magnets: magnet 2 lies where magnet 1 lies"},
      {{"map", "-o", "x.png", "--magnets", "201,0"}, "--magnets: magnet 1 lies beyond 200"},
      {{"map", "-o", "x.png", "--friction", "-0.1"}, "--friction must be a finite number at least 0, not '-0.1'"},
      {{"map", "-o", "x.png", "--height", "inf"}, "--height must be a finite number at least 0"},
      {{"map", "-o", "x.png", "--capture", "0"}, "--capture must be a finite number above 0"},
      {{"explore", "--magnets=-1,0;-1,0"}, "--magnets: magnet 2 lies where magnet 1 lies"},
      {{"map", "-o", "x.png", "--config", "/nonexistent/mine.toml"}, "--config: cannot read '/nonexistent/mine.toml'"},
      {{"map", "-o", "x.png", "--config"}, "--config needs a value"},
      {{"explore", "--grid", "2049"}, "--grid must be a whole number from 2 to 2048"},
      {{"explore", "--grid", "1"}, "--grid must be"},
      {{"explore", "--cache", "-1"}, "--cache must be a whole number from 0 to 200000000, not '-1'"},
      {{"explore", "--cache", "200000001"}, "--cache must be"},
      {{"explore", "--m", "0"}, "--m must be above 0"},
      {{"explore", "--region", "2:1:0:1"}, "--region must be"},
      {{"explore", "-o", "x.png"}, "unknown option '-o'"},
      {{"explore", "extra"}, "explore takes no argument 'extra'"},
      {{"merge", "a.png"}, "merge needs -o FILE.png"},
      {{"merge", "-o", "x.png"}, "merge needs the band files"},
  };
  for (const auto& c : cases) {
    const CommandLineReading reading = Read(c.arguments);
    EXPECT_NE(reading.mistake.find(c.mistake), std::string::npos)
        << "[" << reading.mistake << "] lacks [" << c.mistake << "]";
    EXPECT_EQ(reading.mistake.find('\n'), std::string::npos);
  }
}

// An empty configuration file, made by the test that reads the options.
std::string EmptyConfigFile() {
  return (std::filesystem::temp_directory_path() / "magpend-empty-config.toml").string();
}

// A film's arguments: a small valid zoom, then the case's own (the last of
// an option counts).
std::vector<std::string> FilmArguments(const std::vector<std::string>& own) {
  std::vector<std::string> arguments = {"film", "-o", "z.mp4", "--size", "64x36", "--frames", "6",
                                        "--from", "0:0:220", "--to", "28:2:10"};
  arguments.insert(arguments.end(), own.begin(), own.end());
  return arguments;
}

TEST(CommandLineTest, FilmFramesStepsAndPlaces) {
  const struct {
    std::vector<std::string> arguments;
    std::int32_t frameCount, firstFrame, endFrame;
    FilmStep step;
    std::filesystem::path framesFolder;
    VideoFormat format;
  } cases[] = {
      {{}, 6, 0, 6, FilmStep::computeAndEncode, "z.frames", VideoFormat::mp4},
      {{"--frame-range", "2:4"}, 6, 2, 4, FilmStep::computeRange, "z.frames", VideoFormat::mp4},
      {{"--frame-range", "0:6", "--frames-dir", "d/e"}, 6, 0, 6, FilmStep::computeRange, "d/e", VideoFormat::mp4},
      {{"--encode"}, 6, 0, 6, FilmStep::encode, "z.frames", VideoFormat::mp4},
      {{"-o", "a/b.webm", "--size", "65x37"}, 6, 0, 6, FilmStep::computeAndEncode, "a/b.frames", VideoFormat::webm},
      {{"--frames", "1000000"}, 1000000, 0, 1000000, FilmStep::computeAndEncode, "z.frames", VideoFormat::mp4},
  };
  for (const auto& c : cases) {
    const CommandLineReading reading = Read(FilmArguments(c.arguments));
    ASSERT_EQ(reading.mistake, "") << ::testing::PrintToString(c.arguments);
    const FilmCommand& film = reading.commandLine.film;
    EXPECT_EQ(reading.commandLine.command, Command::film);
    EXPECT_EQ(film.plan.frameCount, c.frameCount);
    EXPECT_EQ(film.firstFrame, c.firstFrame);
    EXPECT_EQ(film.endFrame, c.endFrame);
    EXPECT_EQ(film.step, c.step);
    EXPECT_EQ(film.framesFolder, c.framesFolder);
    EXPECT_EQ(film.format, c.format);
  }
  // --seconds: T times the frame rate, rounded; without --frames.
  const struct {
    std::vector<std::string> timing;
    std::int32_t frameCount;
  } lengths[] = {{{"--seconds", "2"}, 60}, {{"--seconds", "2", "--fps", "24"}, 48}, {{"--seconds", "0.05"}, 2},
                 {{"--seconds", "1", "--fps", "29.97"}, 30}};
  for (const auto& c : lengths) {
    std::vector<std::string> arguments = {"film", "-o", "z.webm", "--size", "5x5", "--from", "0:0:1", "--to", "0:0:1"};
    arguments.insert(arguments.end(), c.timing.begin(), c.timing.end());
    const CommandLineReading reading = Read(arguments);
    ASSERT_EQ(reading.mistake, "") << ::testing::PrintToString(c.timing);
    EXPECT_EQ(reading.commandLine.film.plan.frameCount, c.frameCount);
  }
}

TEST(CommandLineTest, FilmMistakesAreOneLineThatNamesWhatIsWrong) {
  const struct {
    std::vector<std::string> arguments;
    std::string mistake;
  } cases[] = {
      {{"--from", "1:2"}, "--from must be CX:CY:W, three finite numbers with W > 0 (the centre and the width), not '1:2'"},
      {{"--from", "1:2:3:4"}, "--from must be CX:CY:W"},
      {{"--from", "1:nan:3"}, "--from must be CX:CY:W"},
      {{"--from", "1:2:1e999"}, "--from must be CX:CY:W"},
      {{"--to", "1:2:0"}, "--to must be CX:CY:W"},
      {{"--to", "1:2:-3"}, "--to must be CX:CY:W"},
      {{"--to", "1e20:0:1e-10"}, "frame 1's region has bounds that doubles cannot tell apart"},
      {{"--at", "0:0:1", "--sweep", "g:1:2"}, "a film is a zoom (--from, --to) or a sweep (--at, --sweep), not both"},
      {{"--size", "0x0"}, "--size must be WxH, whole numbers from 2 to 8192, not '0x0'"},
      {{"--size", "64"}, "--size must be WxH"},
      {{"--size", "8194x36"}, "--size must be WxH"},
      {{"--size", "64x8193"}, "--size must be WxH"},
      {{"--size", "65x36"}, "--size must be even on both sides for an MP4 (H.264 needs that), not '65x36'"},
      {{"--size", "64x35"}, "--size must be even on both sides"},
      {{"--frames", "0"}, "--frames must be a whole number from 1 to 1000000, not '0'"},
      {{"--frames", "1000001"}, "--frames must be a whole number"},
      {{"--seconds", "1"}, "--frames excludes --seconds"},
      {{"--fps", "0"}, "--fps must be a number above 0 and at most 1000, not '0'"},
      {{"--fps", "1001"}, "--fps must be"},
      {{"--frame-range", "0:7"}, "--frame-range must be A:B with 0 <= A < B <= 6 (the film's frames), not '0:7'"},
      {{"--frame-range", "3:3"}, "--frame-range must be"},
      {{"--frame-range", "-1:2"}, "--frame-range must be"},
      {{"--frame-range", "2"}, "--frame-range must be"},
      {{"--frame-range", "0:2", "--encode"}, "excludes"},
      {{"--print-frame", "6"}, "--print-frame must be a whole number from 0 to 5 (the film's frames), not '6'"},
      {{"--print-frame", "-1"}, "--print-frame must be"},
      {{"-o", "z.avi"}, "-o must name a .mp4 or .webm file, not 'z.avi'"},
      {{"-o", "film"}, "-o must name a .mp4 or .webm file"},
      {{"--g", "-1"}, "--g must be above 0, not '-1'"},
      {{"--n", "x"}, "--n needs a number, not 'x'"},
      {{"--grid", "5"}, "unknown option '--grid'"},
      {{"extra"}, "film takes no argument 'extra'"},
  };
  for (const auto& c : cases) {
    const CommandLineReading reading = Read(FilmArguments(c.arguments));
    EXPECT_NE(reading.mistake.find(c.mistake), std::string::npos)
        << "[" << reading.mistake << "] lacks [" << c.mistake << "]";
    EXPECT_EQ(reading.mistake.find('\n'), std::string::npos);
  }
  const struct {
    std::vector<std::string> arguments;
    std::string mistake;
  } incomplete[] = {
      {{"film", "-o", "z.mp4", "--frames", "6", "--from", "0:0:1", "--to", "0:0:1"}, "film needs --size WxH"},
      {{"film", "-o", "z.mp4", "--size", "4x4", "--from", "0:0:1", "--to", "0:0:1"}, "film needs --frames N or --seconds T"},
      {{"film", "-o", "z.mp4", "--size", "4x4", "--from", "0:0:1", "--to", "0:0:1", "--seconds", "0.01"},
       "--seconds 0.01 makes no frame"},
      {{"film", "-o", "z.mp4", "--size", "4x4", "--from", "0:0:1", "--to", "0:0:1", "--seconds", "40000"},
       "--seconds 40000 makes more than 1000000 frames"},
      {{"film", "--size", "4x4", "--frames", "2", "--from", "0:0:1", "--to", "0:0:1"}, "film needs -o FILM.mp4|FILM.webm"},
      {{"film", "-o", "z.mp4", "--size", "4x4", "--frames", "2", "--to", "0:0:1"}, "a zoom needs both --from and --to"},
      {{"film", "-o", "z.mp4", "--size", "4x4", "--frames", "2"},
       "film needs --from and --to (a zoom) or --at and --sweep (a sweep)"},
      {{"film", "-o", "z.mp4", "--size", "4x4", "--frames", "2", "--sweep", "g:1:2"}, "a sweep needs both --at and --sweep"},
  };
  // Sweeps.
  for (const auto& c : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--sweep", "friction:-1:1"}, "--sweep must be NAME:A:B with NAME g, m, friction, height, magnetK.x, magnetK.y or magnetK.strength and A, B finite (above 0 for g, m and a strength, at least 0 for friction and height), not 'friction:-1:1'"},
           {{"--sweep", "magnet9.x:0:1"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "magnet1.strength:0:1"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "colour:0:1"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "magnet4.x:0:1"}, "--sweep magnet4.x: the pendulum has 3 magnets"},
           {{"--sweep", "magnet1.x:-100:-250"}, "--sweep magnet1.x: frame 2: --magnets: magnet 1 lies beyond 200"},
           {{"--sweep", "magnet2.y:30:-30"}, "--sweep magnet2.y: frame 2: --magnets: magnet 3 lies where magnet 2 lies"},
           {{"--sweep", "height:0:5", "--height", "1"}, "--height and --sweep height both give height"},
           {{"--sweep", "g:0:1"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "m:1:-2"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "m:1"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "g:1:inf"}, "--sweep must be NAME:A:B"},
           {{"--sweep", "g:1:2", "--g", "3"}, "--g and --sweep g both give g; the sweep gives it to every frame"},
           {{"--sweep", "m:1:2", "--m", "3"}, "--m and --sweep m both give m"},
           {{"--at", "0:0:0", "--sweep", "g:1:2"}, "--at must be CX:CY:W"},
           {{"--at", "1e20:0:1e-10", "--sweep", "g:1:2"}, "frame 0's region has bounds that doubles cannot tell apart"},
           {{"--at", "0:0:1"}, "a sweep needs both --at and --sweep"},
       }) {
    std::vector<std::string> arguments = {"film", "-o", "z.mp4", "--size", "4x4", "--frames", "3"};
    if (c.first.front() != "--at") arguments.insert(arguments.end(), {"--at", "0:0:1"});
    arguments.insert(arguments.end(), c.first.begin(), c.first.end());
    EXPECT_NE(Read(arguments).mistake.find(c.second), std::string::npos)
        << "[" << Read(arguments).mistake << "] lacks [" << c.second << "]";
  }
  for (const auto& c : incomplete) {
    EXPECT_NE(Read(c.arguments).mistake.find(c.mistake), std::string::npos)
        << "[" << Read(c.arguments).mistake << "] lacks [" << c.mistake << "]";
  }
}

// Every option: where it belongs, how the usage shows it, a value it takes,
// and what that value becomes.
struct OptionCase {
  std::vector<std::string> arguments;
  std::string shown;  // as the usage shows it
  bool (*took)(const CommandLine&);
};
const OptionCase optionCases[] = {
    {{"--save", "d"}, "--save DIR", [](const CommandLine& l) { return l.saveFolder == "d"; }},
    {{"--version"}, "--version", [](const CommandLine& l) { return l.command == Command::version; }},
    {{"--help"}, "--help", [](const CommandLine& l) { return l.command == Command::help; }},
    {{"map", "-o", "o.png", "--g", "3"}, "--g G", [](const CommandLine& l) { return l.map.values.g == 3; }},
    {{"map", "-o", "o.png", "--m", "3"}, "--m M", [](const CommandLine& l) { return l.map.values.m == 3; }},
    {{"map", "-o", "o.png", "--n", "3"}, "--n N", [](const CommandLine& l) { return l.map.values.n == 3; }},
    {{"map", "-o", "o.png", "--grid", "3x2"}, "--grid S|WxH",
     [](const CommandLine& l) { return l.map.gridSide == 3 && l.map.gridHeight == 2; }},
    {{"map", "-o", "o.png", "--rows", "1:3"}, "--rows A:B", [](const CommandLine& l) { return l.map.firstRow == 1; }},
    {{"map", "-o", "o.png"}, "-o FILE.png", [](const CommandLine& l) { return l.map.output == "o.png"; }},
    {{"map", "-o", "o.png", "--grid", "3", "--region", "-1e-3:0.5:2:2.25"}, "--region X0:X1:Y0:Y1",
     [](const CommandLine& l) { return l.map.region == app::MapRegion{-1e-3, 0.5, 2, 2.25}; }},
    {{"map", "-o", "o.png", "--grid", "3", "--shade"}, "--shade",
     [](const CommandLine& l) { return l.map.shading == app::Shading::bySteps; }},
    {{"map", "-o", "o.png", "--magnets", "-40,0;30,30,2"}, "--magnets LIST", [](const CommandLine& l) {
       return l.map.values.pendulum.magnets == std::vector<app::MagnetPlace>{{-40, 0, 1}, {30, 30, 2}};
     }},
    {{"map", "-o", "o.png", "--magnets=-1,0"}, "--magnets",
     [](const CommandLine& l) { return l.map.values.pendulum.magnets == std::vector<app::MagnetPlace>{{-1, 0, 1}}; }},
    {{"map", "-o", "o.png", "--height", "2.5"}, "--height H", [](const CommandLine& l) { return l.map.values.pendulum.height == 2.5; }},
    {{"map", "-o", "o.png", "--friction", "0.01"}, "--friction K",
     [](const CommandLine& l) { return l.map.values.pendulum.friction == 0.01; }},
    {{"map", "-o", "o.png", "--capture", "3"}, "--capture C",
     [](const CommandLine& l) { return l.map.values.pendulum.captureRadius == 3; }},
    {{"map", "-o", "o.png", "--grid", "3", "--markers"}, "--markers", [](const CommandLine& l) { return l.map.markers; }},
    {{"map", "--magnets", "2@5", "--print-config"}, "--print-config", [](const CommandLine& l) {
       return l.command == Command::printConfig && l.configText.find("magnets=\"2@5\"\n") != std::string::npos &&
              l.configText.find("friction=0\n") != std::string::npos;
     }},
    {{"explore", "--magnets", "2@5", "--friction", "1"}, "explore", [](const CommandLine& l) {
       return l.explore.values.pendulum.magnets.size() == 2 && l.explore.values.pendulum.friction == 1;
     }},
    {{"explore", "--cache", "1000"}, "--cache N", [](const CommandLine& l) { return l.explore.cachedResults == 1000; }},
    {{"explore", "--known", "k.results"}, "--known FILE", [](const CommandLine& l) { return l.explore.known == "k.results"; }},
    {{"map", "-o", "o.png", "--results", "r.results"}, "--results FILE",
     [](const CommandLine& l) { return l.map.results == "r.results"; }},
    {{"map", "-o", "o.png", "--config", EmptyConfigFile()}, "--config FILE",
     [](const CommandLine& l) { return l.map.values.pendulum == app::Pendulum{}; }},
    {{"merge", "-o", "o.png", "b"}, "BAND.png", [](const CommandLine& l) { return l.mergeOutput == "o.png"; }},
    {FilmArguments({}), "-o FILM.mp4|FILM.webm", [](const CommandLine& l) { return l.film.output == "z.mp4"; }},
    {FilmArguments({}), "--size WxH",
     [](const CommandLine& l) { return l.film.plan.pixelsWide == 64 && l.film.plan.pixelsHigh == 36; }},
    {FilmArguments({}), "--frames N", [](const CommandLine& l) { return l.film.plan.frameCount == 6; }},
    {{"film", "-o", "z.mp4", "--size", "4x4", "--from", "0:0:1", "--to", "0:0:1", "--seconds", "3"}, "--seconds T",
     [](const CommandLine& l) { return l.film.plan.frameCount == 90; }},
    {FilmArguments({"--fps", "24"}), "--fps F", [](const CommandLine& l) { return l.film.framesPerSecond == 24; }},
    {FilmArguments({}), "--from CX:CY:W", [](const CommandLine& l) { return l.film.plan.from == Keyframe{0, 0, 220}; }},
    {FilmArguments({}), "--to CX:CY:W", [](const CommandLine& l) { return l.film.plan.to == Keyframe{28, 2, 10}; }},
    {{"film", "-o", "z.webm", "--size", "5x5", "--frames", "3", "--at", "1:2:3", "--sweep", "m:100:500"}, "--at CX:CY:W",
     [](const CommandLine& l) { return l.film.plan.from == Keyframe{1, 2, 3} && l.film.plan.to == Keyframe{1, 2, 3}; }},
    {{"film", "-o", "z.webm", "--size", "5x5", "--frames", "3", "--at", "1:2:3", "--sweep", "g:0.5:9"}, "--sweep NAME:A:B",
     [](const CommandLine& l) { return l.film.sweep == Sweep{SweptValue::g, 0.5, 9}; }},
    {{"film", "-o", "z.webm", "--size", "5x5", "--frames", "3", "--at", "1:2:3", "--sweep", "magnet2.strength:1:3",
      "--magnets", "4@40", "--friction", "0.5"},
     "--sweep NAME:A:B", [](const CommandLine& l) {
       return l.film.sweep == Sweep{SweptValue::magnetStrength, 1, 3, 1} && l.film.values.pendulum.friction == 0.5 &&
              l.film.values.pendulum.magnets.size() == 4;
     }},
    {FilmArguments({"--g", "2", "--m", "3", "--n", "4", "--shade"}), "film",
     [](const CommandLine& l) {
       return l.film.values.g == 2 && l.film.values.m == 3 && l.film.values.n == 4 && l.film.shading == app::Shading::bySteps;
     }},
    {FilmArguments({"--frames-dir", "f"}), "--frames-dir DIR", [](const CommandLine& l) { return l.film.framesFolder == "f"; }},
    {FilmArguments({"--frame-range", "1:2"}), "--frame-range A:B", [](const CommandLine& l) { return l.film.firstFrame == 1; }},
    {FilmArguments({"--encode"}), "--encode", [](const CommandLine& l) { return l.film.step == FilmStep::encode; }},
    {FilmArguments({"--print-frame", "5"}), "--print-frame K", [](const CommandLine& l) {
       return l.film.step == FilmStep::printFrame && l.film.printedFrame == 5;
     }},
    {{"explore"}, "explore", [](const CommandLine& l) {
       return l.command == Command::explore && l.explore.side == 600 && l.explore.region == app::MapRegion{} &&
              l.explore.shading == app::Shading::none && l.explore.values.n == 2000;
     }},
    {{"explore", "--grid=2048", "--region", "1:2:3:4", "--shade", "--g", "0", "--m", "9", "--n", "7"}, "explore",
     [](const CommandLine& l) {
       return l.explore.side == 2048 && l.explore.region == app::MapRegion{1, 2, 3, 4} &&
              l.explore.shading == app::Shading::bySteps && l.explore.values.g == 5 && l.explore.values.m == 9 && l.explore.values.n == 7;
     }},
};

TEST(CommandLineTest, EveryOptionIsShownAndTaken) {
  std::ofstream{EmptyConfigFile()};
  const std::string usage = UsageText();
  for (const OptionCase& c : optionCases) {
    const CommandLineReading reading = Read(c.arguments);
    EXPECT_EQ(reading.mistake, "") << c.shown;
    EXPECT_TRUE(c.took(reading.commandLine)) << c.shown;
    EXPECT_NE(usage.find(c.shown), std::string::npos) << c.shown;
  }
}

// A configuration file gives what the same options give on the command
// line, and what --print-config writes reads back to the same values; the
// command line's own options win over the file's.
TEST(CommandLineTest, ConfigurationFilesReadAsTheCommandLine) {
  // A file of its own for each case (Wine has been seen to read a file
  // rewritten at once with a shorter text as it was before).
  std::vector<std::filesystem::path> files;
  const auto readWith = [&](const std::string& text, std::vector<std::string> arguments) {
    files.push_back(std::filesystem::temp_directory_path() /
                    ("magpend-command-line-test-" + std::to_string(files.size()) + ".toml"));
    std::ofstream(files.back()) << text;
    arguments.insert(arguments.begin(), {"map", "-o", "x.png", "--config", files.back().string()});
    return Read(arguments);
  };
  const CommandLine options =
      Read({"map", "-o", "x.png", "--magnets", "4@40", "--height", "3", "--friction", "0.5", "--g", "2"}).commandLine;
  const struct {
    std::string text;
    std::vector<std::string> arguments;
  } sameAsOptions[] = {
      {"magnets = \"4@40\"\nheight = 3\nfriction = 0.5\ng = 2\n", {}},
      {"# a comment\nmagnets=\"4@40\"\nheight=3\nfriction=9\n", {"--friction", "0.5", "--g", "2"}},
      {Read({"map", "--magnets", "4@40", "--height", "3", "--friction", "0.5", "--g", "2", "--print-config"})
           .commandLine.configText,
       {}},
  };
  for (const auto& c : sameAsOptions) {
    const CommandLineReading reading = readWith(c.text, c.arguments);
    ASSERT_EQ(reading.mistake, "") << c.text;
    EXPECT_EQ(reading.commandLine.map.values.pendulum, options.map.values.pendulum) << c.text;
    EXPECT_EQ(reading.commandLine.map.values.g, options.map.values.g) << c.text;
  }
  const struct {
    std::string text;
    std::string mistake;
  } wrong[] = {
      {"magnets = \"1,1;1,1\"\n", "--magnets: magnet 2 lies where magnet 1 lies"},
      {"friction = -1\n", "--friction must be"},
      {"colour = \"red\"\n", "names no option of map: 'colour'"},
      {"[map]\ng = 2\n", "has a section"},
      {"o = \"elsewhere.png\"\n", "names no option of map: 'o'"},
      {"just some words\n", "names no option of map: 'just some words'"},
      {"vm\n", "is not a configuration file (no name=value line)"},
  };
  for (const auto& c : wrong) {
    const std::string mistake = readWith(c.text, {}).mistake;
    EXPECT_NE(mistake.find(c.mistake), std::string::npos) << "[" << mistake << "] lacks [" << c.mistake << "]";
  }
  for (const auto& file : files) std::filesystem::remove(file);
}

// The usage names no option beyond those, and describes the form's fields.
TEST(CommandLineTest, UsageNamesNoOtherOption) {
  const std::string usage = UsageText();
  // Every word that starts with "-" or "--" at the start, or after a space, "[" or ",".
  // (Scanned by hand: std::regex trips GCC's uninitialised-use warning in
  // sanitizer builds.)
  for (std::size_t at = 0; (at = usage.find('-', at)) != std::string::npos;) {
    const bool wordStart = at == 0 || std::string_view(" [,").find(usage[at - 1]) != std::string_view::npos;
    std::size_t end = at + (usage.compare(at, 2, "--") == 0 ? 2 : 1);
    const std::size_t letters = end;
    const auto letter = [&](std::size_t i) { return i < usage.size() && usage[i] >= 'a' && usage[i] <= 'z'; };
    // Letters, and hyphens between them (--frame-range).
    while (letter(end) || (end > letters && usage[end] == '-' && letter(end + 1))) ++end;
    const std::string name = usage.substr(at, end - at);
    at = end;
    if (!wordStart || end == letters) continue;
    bool known = name == "-h";  // --help's short form
    for (const OptionCase& c : optionCases) known = known || c.shown.starts_with(name + " ") || c.shown == name;
    EXPECT_TRUE(known) << name;
  }
  for (const char* field : {"\n  x, y ", "\n  g ", "\n  m ", "\n  v ", "\n  n "}) {
    EXPECT_NE(usage.find(field), std::string::npos) << field;
  }
  EXPECT_TRUE(VersionText().starts_with("magpend "));
}

// The manual page as a reader sees its words: roff's escaped minus signs
// as plain ones, and the arguments of the font-alternating macros (.IR A : B)
// joined as roff joins them (A:B).
std::string ManualPageText() {
  std::ifstream file(MAGPEND_MANUAL_PAGE);
  std::string text;
  for (std::string line; std::getline(file, line);) {
    for (std::size_t at = 0; (at = line.find("\\-", at)) != std::string::npos;) line.erase(at, 1);
    const bool alternating = line.size() > 4 && line[0] == '.' && line[3] == ' ' &&
                             std::string_view("BIR").find(line[1]) != std::string_view::npos &&
                             std::string_view("BIR").find(line[2]) != std::string_view::npos;
    if (alternating) {
      std::istringstream words(line.substr(4));
      line.clear();
      for (std::string word; words >> word;) line += word;
    }
    text += line + "\n";
  }
  return text;
}

// The manual page tells what --help tells: every option with its value
// name, and the form's defaults as the form shows them.
TEST(CommandLineTest, ManualPageAgreesWithTheUsage) {
  const std::string page = ManualPageText();
  ASSERT_FALSE(page.empty()) << MAGPEND_MANUAL_PAGE;
  for (const OptionCase& c : optionCases) {
    const std::size_t space = c.shown.find(' ');
    const std::string name = c.shown.substr(0, space);
    EXPECT_NE(page.find(name), std::string::npos) << name;
    if (space != std::string::npos) {
      EXPECT_NE(page.find(c.shown.substr(space + 1)), std::string::npos) << c.shown;
    }
  }
  std::string defaults[6];
  for (const app::FormField& field : app::FormFields()) defaults[static_cast<int>(field.name)] = field.defaultText;
  const auto of = [&](app::FieldName name) { return defaults[static_cast<int>(name)]; };
  for (const std::string& stated :
       {"Defaults " + of(app::FieldName::x) + " and " + of(app::FieldName::y), "Default " + of(app::FieldName::g),
        "Default " + of(app::FieldName::m), "Default " + of(app::FieldName::v), "Default " + of(app::FieldName::n)}) {
    EXPECT_NE(page.find(stated), std::string::npos) << stated;
  }
  const std::string usage = UsageText();
  for (const std::string& shown : {"--g G=" + of(app::FieldName::g), "--m M=" + of(app::FieldName::m),
                                   "--n N=" + of(app::FieldName::n)}) {
    EXPECT_NE(usage.find(shown), std::string::npos) << shown << " in\n" << usage;
  }
}

// The explorer's help and its manual agree: the page names every mouse
// action and key that the help lists (spaces and quotes aside, as roff
// sets them).
TEST(CommandLineTest, ManualPageNamesEveryInputOfTheExplorersHelp) {
  const auto compact = [](std::string text) {
    std::erase_if(text, [](char c) { return c == ' ' || c == '"'; });
    return text;
  };
  const std::string page = compact(ManualPageText());
  for (const app::HelpEntry& entry : app::exploreHelp) {
    EXPECT_NE(page.find(compact(entry.input)), std::string::npos) << entry.input;
  }
}

}  // namespace
}  // namespace cli
