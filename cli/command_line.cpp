#include "cli/command_line.h"

#include <cctype>
#include <cstring>

#include "app/form.h"
#include "pictures/png_file.h"
#include "runtime/text_to_number.h"

namespace cli {

namespace {

using Arguments = std::vector<std::string>;

const std::string seeHelp = "; see magpend --help";

// "--name=value" becomes "--name" "value".
Arguments SplitInlineValues(std::span<const std::string> arguments) {
  Arguments split;
  for (const std::string& argument : arguments) {
    const auto equals = argument.find('=');
    if (argument.starts_with("--") && equals != std::string::npos) {
      split.push_back(argument.substr(0, equals));
      split.push_back(argument.substr(equals + 1));
    } else {
      split.push_back(argument);
    }
  }
  return split;
}

bool Contains(const Arguments& arguments, const std::string& wanted) {
  for (const std::string& argument : arguments) {
    if (argument == wanted) return true;
  }
  return false;
}

CommandLineReading Mistake(std::string text) { return {CommandLine{}, std::move(text)}; }

CommandLineReading Just(Command command) {
  CommandLine line;
  line.command = command;
  return {line, {}};
}

// Options and their values; `plain` collects the arguments that are none.
struct OptionValues {
  std::vector<std::pair<std::string, std::string>> options;  // in the order given
  Arguments plain;
  std::string mistake;

  const std::string* Find(const std::string& name) const {
    const std::string* found = nullptr;  // the last one counts
    for (const auto& [option, value] : options) {
      if (option == name) found = &value;
    }
    return found;
  }
};

OptionValues ReadOptions(const Arguments& arguments, const std::vector<std::string>& known) {
  OptionValues values;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!argument.starts_with("-") || argument == "-") {
      values.plain.push_back(argument);
      continue;
    }
    bool isKnown = false;
    for (const std::string& name : known) isKnown = isKnown || name == argument;
    if (!isKnown) {
      values.mistake = "unknown option '" + argument + "'" + seeHelp;
      return values;
    }
    if (i + 1 == arguments.size()) {
      values.mistake = argument + " needs a value" + seeHelp;
      return values;
    }
    values.options.emplace_back(argument, arguments[++i]);
  }
  return values;
}

// Reads a run of the characters `allowed` accepts from `text` at `at`; true
// when there was at least one.
template <typename Allowed>
bool ReadRun(const std::string& text, std::size_t& at, Allowed allowed) {
  const std::size_t start = at;
  while (at < text.size() && allowed(text[at])) ++at;
  return at > start;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsOneOf(char c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; }

// [+-] digits [. digits] or [+-] . digits, then [eEdD [+-] digits].
bool IsDecimal(const std::string& text) {
  std::size_t at = 0;
  if (at < text.size() && IsOneOf(text[at], "+-")) ++at;
  const bool whole = ReadRun(text, at, IsDigit);
  bool fraction = false;
  if (at < text.size() && text[at] == '.') {
    ++at;
    fraction = ReadRun(text, at, IsDigit);
  }
  if (!whole && !fraction) return false;
  if (at < text.size() && IsOneOf(text[at], "eEdD")) {
    ++at;
    if (at < text.size() && IsOneOf(text[at], "+-")) ++at;
    if (!ReadRun(text, at, IsDigit)) return false;
  }
  return at == text.size();
}

// & then H and hex digits, B and binary digits, or [O or Q] and octal
// digits; then an optional type suffix: %, &, &&, ?, ?? or ???.
bool IsPrefixed(const std::string& text) {
  if (text.empty() || text[0] != '&') return false;
  std::size_t at = 1;
  const char radix = at < text.size() ? text[at] : 0;
  bool digits = false;
  if (IsOneOf(radix, "hH")) {
    ++at;
    digits = ReadRun(text, at, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
  } else if (IsOneOf(radix, "bB")) {
    ++at;
    digits = ReadRun(text, at, [](char c) { return c == '0' || c == '1'; });
  } else {
    if (IsOneOf(radix, "oOqQ")) ++at;
    digits = ReadRun(text, at, [](char c) { return c >= '0' && c <= '7'; });
  }
  if (!digits) return false;
  const std::string suffix = text.substr(at);
  return suffix.empty() || suffix == "%" || suffix == "&" || suffix == "&&" || suffix == "?" ||
         suffix == "??" || suffix == "???";
}

// A number as the form reads one: decimal with an optional exponent (E or D),
// or a prefixed whole number. Other text, which the form would quietly read
// as 0 or cut short, is refused.
bool IsNumber(const std::string& text) { return IsDecimal(text) || IsPrefixed(text); }

// A whole number from `smallest` to `largest`, written in decimal digits.
std::optional<std::int32_t> WholeNumber(const std::string& text, std::int32_t smallest,
                                        std::int32_t largest) {
  std::size_t at = 0;
  if (!ReadRun(text, at, IsDigit) || at != text.size() || text.size() > 9) return std::nullopt;
  const std::int32_t value = std::stoi(text);
  if (value < smallest || value > largest) return std::nullopt;
  return value;
}

const app::FormField& FieldOf(app::FieldName name) {
  for (const app::FormField& field : app::FormFields()) {
    if (field.name == name) return field;
  }
  return app::FormFields().front();
}

// g, m and n as the form would take them from these field texts.
std::string ReadMapValues(const OptionValues& values, MapCommand& map) {
  app::FormEntries entries;
  const struct {
    const char* option;
    app::FieldName field;
  } fields[] = {{"--g", app::FieldName::g}, {"--m", app::FieldName::m}, {"--n", app::FieldName::n}};
  for (const auto& [option, field] : fields) {
    const std::string* text = values.Find(option);
    if (text == nullptr) continue;
    if (!IsNumber(*text)) return std::string(option) + " needs a number, not '" + *text + "'";
    app::KeepField(entries, FieldOf(field), *text);
  }
  const app::SimulationParameters parameters = app::ApplyDefaults(entries);
  switch (app::FirstInvalidField(parameters).value_or(app::FieldName::x)) {
    case app::FieldName::g: return "--g must be above 0, not '" + *values.Find("--g") + "'";
    case app::FieldName::m: return "--m must be above 0, not '" + *values.Find("--m") + "'";
    default: break;
  }
  map.g = parameters.g;
  map.m = parameters.m;
  map.n = parameters.n;
  return {};
}

std::string ReadGridAndRows(const OptionValues& values, MapCommand& map) {
  if (const std::string* text = values.Find("--grid")) {
    const auto side = WholeNumber(*text, smallestGridSide, largestGridSide);
    if (!side) {
      return "--grid must be a whole number from " + std::to_string(smallestGridSide) + " to " +
             std::to_string(largestGridSide) + ", not '" + *text + "'";
    }
    map.gridSide = *side;
  }
  const std::int32_t rows = map.gridSide != 0 ? map.gridSide : windowGridSide;
  map.firstRow = 0;
  map.endRow = rows;
  if (const std::string* text = values.Find("--rows")) {
    const auto colon = text->find(':');
    const auto first = colon == std::string::npos ? std::nullopt : WholeNumber(text->substr(0, colon), 0, rows - 1);
    const auto end = colon == std::string::npos ? std::nullopt : WholeNumber(text->substr(colon + 1), 1, rows);
    if (!first || !end || *first >= *end) {
      return "--rows must be A:B with 0 <= A < B <= " + std::to_string(rows) +
             " (the map's rows, 0 at the bottom), not '" + *text + "'";
    }
    map.firstRow = *first;
    map.endRow = *end;
  }
  return {};
}

CommandLineReading ReadMap(const Arguments& arguments) {
  const OptionValues values = ReadOptions(arguments, {"--g", "--m", "--n", "--grid", "--rows", "-o"});
  if (!values.mistake.empty()) return Mistake(values.mistake);
  if (!values.plain.empty()) return Mistake("map takes no argument '" + values.plain.front() + "'" + seeHelp);
  CommandLine line;
  line.command = Command::map;
  if (auto mistake = ReadMapValues(values, line.map); !mistake.empty()) return Mistake(mistake);
  if (auto mistake = ReadGridAndRows(values, line.map); !mistake.empty()) return Mistake(mistake);
  const std::string* output = values.Find("-o");
  if (output == nullptr) return Mistake("map needs -o FILE.png" + seeHelp);
  line.map.output = *output;
  return {line, {}};
}

CommandLineReading ReadMerge(const Arguments& arguments) {
  const OptionValues values = ReadOptions(arguments, {"-o"});
  if (!values.mistake.empty()) return Mistake(values.mistake);
  const std::string* output = values.Find("-o");
  if (output == nullptr) return Mistake("merge needs -o FILE.png" + seeHelp);
  if (values.plain.empty()) return Mistake("merge needs the band files to join" + seeHelp);
  CommandLine line;
  line.command = Command::merge;
  line.mergeOutput = *output;
  line.bands.assign(values.plain.begin(), values.plain.end());
  return {line, {}};
}

CommandLineReading ReadInteractive(const Arguments& arguments) {
  const OptionValues values = ReadOptions(arguments, {"--save"});
  if (!values.mistake.empty()) return Mistake(values.mistake);
  if (!values.plain.empty()) return Mistake("unknown command '" + values.plain.front() + "'" + seeHelp);
  CommandLine line;
  if (const std::string* folder = values.Find("--save")) line.saveFolder = *folder;
  return {line, {}};
}

bool NeedsPictureFiles(const CommandLine& line) {
  return line.saveFolder || line.command == Command::map || line.command == Command::merge;
}

}  // namespace

CommandLineReading ReadCommandLine(std::span<const std::string> given) {
  const Arguments arguments = SplitInlineValues(given);
  if (Contains(arguments, "--help") || Contains(arguments, "-h")) return Just(Command::help);
  if (Contains(arguments, "--version")) return Just(Command::version);
  CommandLineReading reading;
  const Arguments rest(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
  if (!arguments.empty() && arguments.front() == "map") {
    reading = ReadMap(rest);
  } else if (!arguments.empty() && arguments.front() == "merge") {
    reading = ReadMerge(rest);
  } else {
    reading = ReadInteractive(arguments);
  }
  if (reading.mistake.empty() && NeedsPictureFiles(reading.commandLine) &&
      !pictures::PngFilesAvailable()) {
    return Mistake("saving pictures is not available in this build (made without libpng)");
  }
  return reading;
}

std::string VersionText() { return "magpend " MAGPEND_VERSION "\n"; }

std::string UsageText() {
  return R"(Usage: magpend [--save DIR]
       magpend map [--g G] [--m M] [--n N] [--grid S] [--rows A:B] -o FILE.png
       magpend merge -o FILE.png BAND.png...
       magpend --help | --version

Without a command, magpend asks for six values in the terminal and then shows
the window "Pendelweg" (one pendulum's path) and after it "Startpunkte" (which
magnet catches a pendulum released at each start point). The form's fields:
  x, y  where the path's bob is released: -100 < x, y < 100 (-50, 50)
  g     pendulum coefficient, the pull back to the centre: > 0 (5)
  m     magnet strength: > 0 (400)
  v     delay: the path pauses 200 v ms after each step: >= 0 (0.03)
  n     trial count: 100 n steps for the path, n per start point (2000)
Enter keeps a default; 0 for g, v or n also means the default. A value out of
range ends the program without any window.

  --save DIR   also write each window's picture into the folder DIR:
               pendelweg.png when the path window closes, startpunkte.png
               when the map ends (after Escape: the map as it stands)
  --help       show this text
  --version    show the version

magpend map computes the map of start points on all cores, without terminal
or display, and writes it as a PNG picture:
  --g G, --m M, --n N  the form's values, read and checked as the form does
  --grid S     an S x S picture, one pixel per start point, S from 2 to 8192,
               the points spread evenly from -110 to 110 (111: the window's);
               without it, the window's own 800 x 600 picture
  --rows A:B   only the rows A to B-1 (row 0 at the bottom): a band of the map
               for `magpend merge`, so that a big map can be made in parts
  -o FILE.png  the picture file (written whole or not at all)
magpend merge joins band files of one map, in any order, into one picture.

Exit codes: 0 done, 1 no terminal for the form or a picture not written,
2 a wrong command line or value, 130 stopped by Ctrl+C.
More: man magpend, and the README.
)";
}

}  // namespace cli
