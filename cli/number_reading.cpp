#include "cli/number_reading.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace cli {

std::optional<std::int32_t> WholeNumber(const std::string& text, std::int32_t smallest, std::int32_t largest) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text[0] == '-') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < smallest || value > largest) return std::nullopt;
  return value;
}

std::optional<std::vector<double>> ReadFiniteNumbers(const std::string& text, int count) {
  std::vector<double> numbers;
  std::size_t start = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t colon = i < count - 1 ? text.find(':', start) : text.size();
    if (colon == std::string::npos) return std::nullopt;
    const std::optional<double> number = FiniteNumber(text.substr(start, colon - start));
    if (!number) return std::nullopt;
    numbers.push_back(*number);
    start = colon + 1;
  }
  return numbers;
}

}  // namespace cli
