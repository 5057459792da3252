// Fuzz target for the reading of typed lines: field selection and
// text-to-number conversion on arbitrary bytes. The first byte chooses the
// field number, the rest is the line. Besides running clean under the
// address and undefined-behaviour sanitizers, the results must keep the
// invariants checked below; a violation aborts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "runtime/field_selection.h"
#include "runtime/numeric.h"
#include "runtime/text_to_number.h"

namespace {

using runtime::Real;
using runtime::Text;
using runtime::TextToNumber;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant violated: %s\n", what);
  std::abort();
}

// Same value and same sign of zero.
bool SameReal(Real a, Real b) { return a == b && runtime::SignBit(a) == runtime::SignBit(b); }

// A byte that ends the reading wherever it comes: no blank, digit, letter,
// point, sign, ampersand or suffix character.
bool EndsEveryReading(char byte) {
  return byte == ',' || byte == '#' || byte == '!' || byte == '\r' || byte == '\0' ||
         static_cast<unsigned char>(byte) >= 0x80;
}

bool IsBlank(char byte) { return byte == ' ' || byte == '\t' || byte == '\n'; }

void CheckField(const Text& line, const Text& field) {
  Require(field.size() <= line.size(), "field longer than the line");
  Require(std::string_view(line).find(field) != std::string_view::npos, "field not taken from the line");
  if (line.find('"') == Text::npos) {
    Require(field.find(',') == Text::npos, "unquoted field holds a comma");
    Require(field.empty() || (field.front() != ' ' && field.back() != ' '), "unquoted field keeps outer spaces");
  }
}

void CheckNumber(const Text& line) {
  const Real value = TextToNumber(line);
  Require(!runtime::IsNaN(value), "NaN read");
  Require(!runtime::IsInfinite(value), "infinity read");

  // Whatever follows a byte that ends the reading does not matter.
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (EndsEveryReading(line[i])) {
      Require(SameReal(TextToNumber(line.substr(0, i)), value), "bytes after the end changed the value");
      break;
    }
  }

  // The number's own characters alone read as the whole line does (without
  // a number the value is a zero, perhaps signed, of no characters).
  std::size_t blanks = 0;
  while (blanks < line.size() && IsBlank(line[blanks])) ++blanks;
  const runtime::NumberReading reading = runtime::ReadLeadingNumber(line);
  Require(SameReal(reading.value, value), "ReadLeadingNumber and TextToNumber differ");
  if (reading.length > 0) {
    Require(SameReal(TextToNumber(line.substr(blanks, reading.length)), value), "the number's length is wrong");
  }

  // What the form does: the first field reads as the whole line, unless the
  // field is quoted.
  std::size_t first = 0;
  while (first < line.size() && line[first] == ' ') ++first;
  if (first == line.size() || line[first] != '"') {
    Require(SameReal(TextToNumber(runtime::SelectField(line, 1)), value), "first field reads differently");
  }

  // A sign in front of a decimal number only changes the sign.
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  if (start < line.size() && (line[start] == '+' || line[start] == '-' || line[start] == '&')) return;
  const Text unsignedText = line.substr(start);
  Require(SameReal(TextToNumber("-" + unsignedText), -value), "minus sign is not a negation");
  Require(SameReal(TextToNumber("+" + unsignedText), value), "plus sign changes the value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool controlLoaded = (runtime::LoadFloatingPointControl(), true);
  (void)controlLoaded;
  if (size == 0) return 0;

  // Field numbers 1 to 8, and now and then one far beyond the line.
  const int n = data[0] == 0xFF ? 2147483647 : 1 + data[0] % 8;
  const Text line(reinterpret_cast<const char*>(data + 1), size - 1);

  CheckField(line, runtime::SelectField(line, n));
  CheckNumber(line);
  return 0;
}
