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
    EXPECT_EQ(reading.commandLine.map.g, c.g);
    EXPECT_EQ(reading.commandLine.map.m, c.m);
    EXPECT_EQ(reading.commandLine.map.n, c.n);
    EXPECT_EQ(reading.commandLine.map.output, "x.png");
  }
}

TEST(CommandLineTest, GridAndRows) {
  const struct {
    std::vector<std::string> arguments;
    std::int32_t side, firstRow, endRow;
  } cases[] = {
      {{}, 0, 0, 111},
      {{"--rows", "10:20"}, 0, 10, 20},
      {{"--grid", "2"}, 2, 0, 2},
      {{"--grid", "8192", "--rows", "8000:8192"}, 8192, 8000, 8192},
      {{"--rows=0:1", "--grid=1001"}, 1001, 0, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"map", "-o", "x.png"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const MapCommand map = Read(arguments).commandLine.map;
    EXPECT_EQ(map.gridSide, c.side);
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
      {{"map", "-o", "x.png", "--grid", "1"}, "--grid must be a whole number from 2 to 8192, not '1'"},
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
    {{"map", "-o", "o.png", "--g", "3"}, "--g G", [](const CommandLine& l) { return l.map.g == 3; }},
    {{"map", "-o", "o.png", "--m", "3"}, "--m M", [](const CommandLine& l) { return l.map.m == 3; }},
    {{"map", "-o", "o.png", "--n", "3"}, "--n N", [](const CommandLine& l) { return l.map.n == 3; }},
    {{"map", "-o", "o.png", "--grid", "3"}, "--grid S", [](const CommandLine& l) { return l.map.gridSide == 3; }},
    {{"map", "-o", "o.png", "--rows", "1:3"}, "--rows A:B", [](const CommandLine& l) { return l.map.firstRow == 1; }},
    {{"map", "-o", "o.png"}, "-o FILE.png", [](const CommandLine& l) { return l.map.output == "o.png"; }},
    {{"map", "-o", "o.png", "--grid", "3", "--region", "-1e-3:0.5:2:2.25"}, "--region X0:X1:Y0:Y1",
     [](const CommandLine& l) { return l.map.region == app::MapRegion{-1e-3, 0.5, 2, 2.25}; }},
    {{"map", "-o", "o.png", "--grid", "3", "--shade"}, "--shade",
     [](const CommandLine& l) { return l.map.shading == app::Shading::bySteps; }},
    {{"map", "-o", "o.png", "--magnets", "-40,0;30,30,2"}, "--magnets LIST", [](const CommandLine& l) {
       return l.map.pendulum.magnets == std::vector<app::MagnetPlace>{{-40, 0, 1}, {30, 30, 2}};
     }},
    {{"map", "-o", "o.png", "--magnets=-1,0"}, "--magnets",
     [](const CommandLine& l) { return l.map.pendulum.magnets == std::vector<app::MagnetPlace>{{-1, 0, 1}}; }},
    {{"map", "-o", "o.png", "--height", "2.5"}, "--height H", [](const CommandLine& l) { return l.map.pendulum.height == 2.5; }},
    {{"map", "-o", "o.png", "--friction", "0.01"}, "--friction K",
     [](const CommandLine& l) { return l.map.pendulum.friction == 0.01; }},
    {{"map", "-o", "o.png", "--capture", "3"}, "--capture C",
     [](const CommandLine& l) { return l.map.pendulum.captureRadius == 3; }},
    {{"map", "-o", "o.png", "--grid", "3", "--markers"}, "--markers", [](const CommandLine& l) { return l.map.markers; }},
    {{"map", "--magnets", "2@5", "--print-config"}, "--print-config", [](const CommandLine& l) {
       return l.command == Command::printConfig && l.configText.find("magnets=\"2@5\"\n") != std::string::npos &&
              l.configText.find("friction=0\n") != std::string::npos;
     }},
    {{"explore", "--magnets", "2@5", "--friction", "1"}, "explore", [](const CommandLine& l) {
       return l.explore.pendulum.magnets.size() == 2 && l.explore.pendulum.friction == 1;
     }},
    {{"map", "-o", "o.png", "--config", EmptyConfigFile()}, "--config FILE",
     [](const CommandLine& l) { return l.map.pendulum == app::Pendulum{}; }},
    {{"merge", "-o", "o.png", "b"}, "BAND.png", [](const CommandLine& l) { return l.mergeOutput == "o.png"; }},
    {{"explore"}, "explore", [](const CommandLine& l) {
       return l.command == Command::explore && l.explore.side == 600 && l.explore.region == app::MapRegion{} &&
              l.explore.shading == app::Shading::none && l.explore.n == 2000;
     }},
    {{"explore", "--grid=2048", "--region", "1:2:3:4", "--shade", "--g", "0", "--m", "9", "--n", "7"}, "explore",
     [](const CommandLine& l) {
       return l.explore.side == 2048 && l.explore.region == app::MapRegion{1, 2, 3, 4} &&
              l.explore.shading == app::Shading::bySteps && l.explore.g == 5 && l.explore.m == 9 && l.explore.n == 7;
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
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "magpend-command-line-test.toml";
  const auto readWith = [&](const std::string& text, std::vector<std::string> arguments) {
    std::ofstream(file) << text;
    arguments.insert(arguments.begin(), {"map", "-o", "x.png", "--config", file.string()});
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
    EXPECT_EQ(reading.commandLine.map.pendulum, options.map.pendulum) << c.text;
    EXPECT_EQ(reading.commandLine.map.g, options.map.g) << c.text;
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
  };
  for (const auto& c : wrong) {
    const std::string mistake = readWith(c.text, {}).mistake;
    EXPECT_NE(mistake.find(c.mistake), std::string::npos) << "[" << mistake << "] lacks [" << c.mistake << "]";
  }
  std::filesystem::remove(file);
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
    while (end < usage.size() && ((usage[end] >= 'a' && usage[end] <= 'z') || (end > letters && usage[end] == '-'))) ++end;
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
