// The parameter form: six fields read one after the other, their defaults
// and their range checks. Plain functions; RunApplication puts them on the
// console.
#pragma once

#include <array>
#include <optional>

#include "app/pendulum.h"
#include "runtime/text.h"

namespace app {

// The six values of the form.
struct SimulationParameters {
  double x;  // start position of the path run, model units (-100 < x < 100)
  double y;  // second start coordinate, model units (-100 < y < 100)
  double g;  // pendulum coefficient, the pull back to the centre (> 0)
  double m;  // magnet strength, the same for all three magnets (> 0)
  double v;  // delay factor: the path run pauses 200 v ms after each step (>= 0)
  double n;  // trial count: 100 n steps for the path run, n per start point of the map
};

// How a field's typed text is kept until the defaults are applied: x, y and m
// as text (their default applies only to an empty field), g, v and n as a
// number at once (their default applies to anything that reads as 0).
enum class FieldKeeping { asText, asNumber };

// Which of the six values a field fills.
enum class FieldName { x, y, g, m, v, n };

struct FormField {
  FieldName name;
  int row;                     // console row, 1-based
  runtime::Text label;         // 21 bytes of code page 850, written from column 2
  runtime::Text defaultText;   // written from column 23, under the typed entry
  FieldKeeping keeping;
};

// Column of the labels and column of the entries.
inline constexpr int labelColumn = 2;
inline constexpr int entryColumn = 23;

// The six fields in the order they are asked for.
const std::array<FormField, 6>& FormFields();

// What the form holds after the six lines were read: the selected field
// texts of x, y and m, and the numbers already read for g, v and n.
struct FormEntries {
  runtime::Text x;
  runtime::Text y;
  runtime::Text m;
  double g = 0;
  double v = 0;
  double n = 0;
};

// Stores one selected field text into the entries, as the field keeps it.
void KeepField(FormEntries& entries, const FormField& field, const runtime::Text& fieldText);

// Applies the defaults: x, y, m from their text (default when empty),
// g, v, n replaced by their default when they are 0.
SimulationParameters ApplyDefaults(const FormEntries& entries);

// The values of an untouched form. v is the single-precision value nearest
// 0.03, widened. The fields show them as their default texts.
inline constexpr SimulationParameters defaultParameters{-50, 50, defaultG, defaultM, 0.03f, defaultN};

// The path's start lies within this many units of the centre on each axis.
inline constexpr double startLimit = 100;

// The range checks in order: -startLimit < x < startLimit, the same for y,
// g > 0, m > 0, v >= 0. n has none. NaN fails every check.
enum class Validity { valid, invalid };
Validity CheckRanges(const SimulationParameters& parameters);

// The first value that fails its check, in the order of the checks; nothing
// when every check passes.
std::optional<FieldName> FirstInvalidField(const SimulationParameters& parameters);

}  // namespace app
