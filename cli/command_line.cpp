#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <charconv>

#include "app/form.h"
#include "app/map_scan.h"
#include "app/run_window.h"
#include "cli/platform_words.h"
#include "runtime/text_to_number.h"

namespace cli {

namespace {

const std::string seeHelp = "; see magpend --help";

// ---------------------------------------------------------------------------
// Checks of single values; each returns what is wrong, empty when nothing.
// CLI11 puts the option's name in front.

// A number as the form reads one, and nothing else: text the form would
// quietly read as 0 or cut short is refused.
std::string CheckFormNumber(const std::string& text) {
  if (!text.empty() && runtime::ReadNumber(text).length == text.size()) return {};
  return "needs a number, not '" + text + "'";
}

// Decimal digits only, giving `smallest` to `largest`.
std::optional<std::int32_t> WholeNumber(const std::string& text, std::int32_t smallest, std::int32_t largest) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text[0] == '-') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < smallest || value > largest) return std::nullopt;
  return value;
}

std::string CheckGridSide(const std::string& text) {
  if (WholeNumber(text, smallestGridSide, largestGridSide)) return {};
  return "must be a whole number from " + std::to_string(smallestGridSide) + " to " +
         std::to_string(largestGridSide) + ", not '" + text + "'";
}

// The validators carry no description of their own: the help shows the
// option's value name alone.
CLI::Validator Check(std::string (*check)(const std::string&)) {
  return CLI::Validator([check](const std::string& text) { return check(text); }, "");
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
  x, y  where the path's bob is released: -100 < x, y < 100 ()" +
         FieldOf(FieldName::x).defaultText + ", " + FieldOf(FieldName::y).defaultText + R"()
  g     pendulum coefficient, the pull back to the centre: > 0)" + ShownDefault(FieldName::g) + R"(
  m     magnet strength: > 0)" + ShownDefault(FieldName::m) + R"(
  v     delay: the path pauses 200 v ms after each step: >= 0)" + ShownDefault(FieldName::v) + R"(
  n     trial count: 100 n steps for the path, n per start point)" + ShownDefault(FieldName::n) + R"(
Enter keeps a default; 0 for g, v or n also means the default. A value out of
range ends the program without any window.
An option's value follows it as the next argument or after "=".
Ctrl+C is a key of the form; )" + words.endKey + R"( ends the program.
Exit codes: 0 done, 1 no )" + words.formPlace + R"( for the form or a picture not written,
2 a wrong command line or value or a --save folder that cannot be made,
130 a map stopped by Ctrl+C.
More: )" + words.manual + ".";
}

class Description {
 public:
  Description() {
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
  std::string Unexpected() const;
  std::string ApplyFormRules();
  std::string ApplyRows();

  CLI::App app_{"", "magpend"};
  CLI::App* map_ = nullptr;
  CLI::App* merge_ = nullptr;
  CommandLine line_;
  std::string saveFolder_;
  bool version_ = false;
  std::string formTexts_[formOptionCount];
  std::string rows_;
};

void Description::DescribeMap() {
  map_ = app_.add_subcommand("map", MapDescription());
  map_->allow_extras();
  for (std::size_t i = 0; i < formOptionCount; ++i) {
    // The form's default text, for the help to show; only a value given
    // counts (ApplyFormRules).
    formTexts_[i] = FieldOf(formOptions[i].field).defaultText;
    map_->add_option(formOptions[i].name, formTexts_[i], formOptions[i].help)
        ->capture_default_str()
        ->type_name(formOptions[i].valueName)
        ->check(Check(CheckFormNumber));
  }
  map_->add_option("--grid", line_.map.gridSide,
                   "an S x S picture, one pixel per start point, S from " + std::to_string(smallestGridSide) +
                       "\nto " + std::to_string(largestGridSide) + ", the points spread evenly from -110 to 110\n(" +
                       std::to_string(app::gridSide) + ": the window's); without it, the window's own\n" +
                       std::to_string(app::runWindowWidth) + " x " + std::to_string(app::runWindowHeight) +
                       " picture")
      ->type_name("S")
      ->check(Check(CheckGridSide));
  map_->add_option("--rows", rows_,
                   "only the rows A to B-1 (row 0 at the bottom): a band\n"
                   "of the map for `magpend merge`, so that a big map can\n"
                   "be made in parts")
      ->type_name("A:B");
  map_->add_option("-o", line_.map.output, "the picture file (written whole or not at all)")
      ->type_name("FILE.png")
      ->required();
}

void Description::DescribeMerge() {
  merge_ = app_.add_subcommand("merge", "Joins band files of one map, in any order, into one picture.");
  merge_->allow_extras();
  merge_->add_option("-o", line_.mergeOutput, "the picture file")->type_name("FILE.png")->required();
  merge_->add_option("BAND.png", line_.bands, "the band files to join")->type_name("")->required();
}

// The first argument nobody took: an unknown option before any other.
std::string Description::Unexpected() const {
  const CLI::App& where = map_->parsed() ? *map_ : merge_->parsed() ? *merge_ : app_;
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
std::string Description::ApplyFormRules() {
  app::FormEntries entries;
  for (std::size_t i = 0; i < formOptionCount; ++i) {
    if (map_->count(formOptions[i].name) > 0) app::KeepField(entries, FieldOf(formOptions[i].field), formTexts_[i]);
  }
  const app::SimulationParameters parameters = app::ApplyDefaults(entries);
  if (const auto invalid = app::FirstInvalidField(parameters)) {
    for (std::size_t i = 0; i < formOptionCount; ++i) {
      if (formOptions[i].field == *invalid) {
        return std::string(formOptions[i].name) + " must be above 0, not '" + formTexts_[i] + "'";
      }
    }
  }
  line_.map.g = parameters.g;
  line_.map.m = parameters.m;
  line_.map.n = parameters.n;
  return {};
}

// --rows A:B within the map's rows, which --grid decides.
std::string Description::ApplyRows() {
  const std::int32_t rows = line_.map.gridSide != 0 ? line_.map.gridSide : app::gridSide;
  line_.map.firstRow = 0;
  line_.map.endRow = rows;
  if (map_->count("--rows") == 0) return {};
  const auto colon = rows_.find(':');
  const auto first = colon == std::string::npos ? std::nullopt : WholeNumber(rows_.substr(0, colon), 0, rows - 1);
  const auto end = colon == std::string::npos ? std::nullopt : WholeNumber(rows_.substr(colon + 1), 1, rows);
  if (!first || !end || *first >= *end) {
    return "--rows must be A:B with 0 <= A < B <= " + std::to_string(rows) + " (the map's rows, 0 at the bottom), not '" +
           rows_ + "'";
  }
  line_.map.firstRow = *first;
  line_.map.endRow = *end;
  return {};
}

CommandLineReading Description::Reading() {
  if (version_) {
    line_.command = Command::version;
    return {line_, {}};
  }
  if (auto mistake = Unexpected(); !mistake.empty()) return {{}, mistake + seeHelp};
  if (map_->parsed()) {
    line_.command = Command::map;
    if (auto mistake = ApplyFormRules(); !mistake.empty()) return {{}, mistake};
    if (auto mistake = ApplyRows(); !mistake.empty()) return {{}, mistake};
  } else if (merge_->parsed()) {
    line_.command = Command::merge;
  } else if (app_.count("--save") > 0) {
    line_.saveFolder = saveFolder_;
  }
  return {line_, {}};
}

std::string Description::MissingRequirement() const {
  for (const CLI::App* command : {map_, merge_}) {
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
  Description description;
  CommandLineReading reading;
  try {
    description.Parse(arguments);
    reading = description.Reading();
  } catch (const CLI::CallForHelp&) {
    reading.commandLine.command = Command::help;
  } catch (const CLI::CallForAllHelp&) {
    reading.commandLine.command = Command::help;
  } catch (const CLI::ValidationError& error) {
    reading.mistake = OptionNamed(error) + " " + WhatIsNamed(error);
  } catch (const CLI::ArgumentMismatch& error) {
    reading.mistake = OptionNamed(error) + " needs a value" + seeHelp;
  } catch (const CLI::RequiredError&) {
    reading.mistake = description.MissingRequirement() + seeHelp;
  } catch (const CLI::ParseError& error) {
    reading.mistake = error.what() + seeHelp;
  }
  return reading;
}

std::string VersionText() { return "magpend " MAGPEND_VERSION "\n"; }

std::string UsageText() { return Description().Help(); }

}  // namespace cli
