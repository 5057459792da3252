// Numbers as the program prints them in commands it hands to the user, so
// that the command read back computes with the very same doubles.
#pragma once

#include <string>

namespace app {

// The shortest decimal text that reads back (correctly rounded) to exactly
// `value`: at most 17 significant digits, whole numbers of up to 17 digits
// written out (110, not 1.1e+02).
std::string ShortestText(double value);

}  // namespace app
