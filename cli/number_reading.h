// The numbers of the command line's values, read strictly: the whole text
// or nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/number_text.h"

namespace cli {

// Decimal digits only, giving `smallest` to `largest`.
std::optional<std::int32_t> WholeNumber(const std::string& text, std::int32_t smallest, std::int32_t largest);

// A finite decimal number (app/number_text.h).
using app::FiniteNumber;

// `count` finite numbers separated by colons (A:B:C), nothing else.
std::optional<std::vector<double>> ReadFiniteNumbers(const std::string& text, int count);

}  // namespace cli
