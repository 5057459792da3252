// Numbers as the program prints them in commands it hands to the user, and
// reads them back, so that a command read back computes with the very same
// doubles.
#pragma once

#include <optional>
#include <string>

namespace app {

// The shortest decimal text that reads back (correctly rounded) to exactly
// `value`: at most 17 significant digits, whole numbers of up to 17 digits
// written out (110, not 1.1e+02).
std::string ShortestText(double value);

// A finite decimal number, the whole text, read as the C library reads one
// (correctly rounded, so that the texts above read back to the same double);
// nothing for anything else (a space in front, a NaN, an infinity).
std::optional<double> FiniteNumber(const std::string& text);

}  // namespace app
