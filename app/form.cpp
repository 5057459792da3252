#include "app/form.h"

#include "runtime/numeric.h"
#include "runtime/text_to_number.h"

namespace app {

using runtime::Text;

const std::array<FormField, 6>& FormFields() {
  // The labels are code page 850 bytes: 0x84 is "ä", 0x94 is "ö".
  static const std::array<FormField, 6> fields = {{
      {FieldName::x, 4, Text("Startposition     x: "), Text("-50"), FieldKeeping::asText},
      {FieldName::y, 5, Text("Startposition     y: "), Text("50"), FieldKeeping::asText},
      {FieldName::g, 6, Text("Pendelkoeffizient g: "), Text("5"), FieldKeeping::asNumber},
      {FieldName::m, 7, Text("Magnetst\x84rke      m: "), Text("400"), FieldKeeping::asText},
      {FieldName::v, 9, Text("Verz\x94gerung       v: "), Text("0.03"), FieldKeeping::asNumber},
      {FieldName::n, 10, Text("Versuchszahl      n: "), Text("2000"), FieldKeeping::asNumber},
  }};
  return fields;
}

namespace {

// A field's text read as a number (runtime/text_to_number.h) and rounded to
// a double, as the form keeps g, v and n.
double FieldAsDouble(const Text& text) {
  return static_cast<double>(runtime::TextToNumber(text));
}

double TextOrDefault(const Text& text, double defaultValue) {
  return text.empty() ? defaultValue : FieldAsDouble(text);
}

double NonZeroOrDefault(double value, double defaultValue) {
  return value == 0 ? defaultValue : value;
}

}  // namespace

void KeepField(FormEntries& entries, const FormField& field, const Text& fieldText) {
  switch (field.name) {
    case FieldName::x: entries.x = fieldText; break;
    case FieldName::y: entries.y = fieldText; break;
    case FieldName::m: entries.m = fieldText; break;
    case FieldName::g: entries.g = FieldAsDouble(fieldText); break;
    case FieldName::v: entries.v = FieldAsDouble(fieldText); break;
    case FieldName::n: entries.n = FieldAsDouble(fieldText); break;
  }
}

SimulationParameters ApplyDefaults(const FormEntries& entries) {
  SimulationParameters parameters{};
  const SimulationParameters& defaults = defaultParameters;
  parameters.x = TextOrDefault(entries.x, defaults.x);
  parameters.y = TextOrDefault(entries.y, defaults.y);
  parameters.g = NonZeroOrDefault(entries.g, defaults.g);
  parameters.m = TextOrDefault(entries.m, defaults.m);
  parameters.v = NonZeroOrDefault(entries.v, defaults.v);
  parameters.n = NonZeroOrDefault(entries.n, defaults.n);
  return parameters;
}

std::optional<FieldName> FirstInvalidField(const SimulationParameters& p) {
  if (!(-startLimit < p.x && p.x < startLimit)) return FieldName::x;
  if (!(-startLimit < p.y && p.y < startLimit)) return FieldName::y;
  if (!(p.g > 0)) return FieldName::g;
  if (!(p.m > 0)) return FieldName::m;
  if (!(p.v >= 0)) return FieldName::v;
  return std::nullopt;
}

Validity CheckRanges(const SimulationParameters& p) {
  return FirstInvalidField(p) ? Validity::invalid : Validity::valid;
}

}  // namespace app
