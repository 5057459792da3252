#include "app/number_text.h"

#include <algorithm>
#include <cctype>
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

std::optional<double> FiniteNumber(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace app
