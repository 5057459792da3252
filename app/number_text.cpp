#include "app/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace app {

std::string ShortestText(double value) {
  const double magnitude = std::fabs(value);
  const int wholeDigits = magnitude >= 1 && magnitude < 1e17 ? static_cast<int>(std::log10(magnitude)) + 1 : 1;
  char text[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", std::max(digits, wholeDigits), value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

}  // namespace app
