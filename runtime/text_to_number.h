// Reading a number from the start of a text. Never fails: unreadable text
// gives zero. The result is in extended precision; the caller rounds it to a
// double when it stores it.
#pragma once

#include <cstddef>

#include "runtime/numeric.h"
#include "runtime/text.h"

namespace runtime {

// Leading blanks (space, tab, line feed) are skipped. Then either
//  - a decimal number: one optional sign, digits with at most one point,
//    the first 18 significant digits kept and later ones cut (their places
//    kept), an optional exponent introduced by E, e, D or d whose magnitude
//    saturates at 9999; a decimal exponent of the first digit at or above
//    4933 gives 2^127, at or below -4933 gives zero; or
//  - a prefixed whole number: & then an optional radix letter (B binary,
//    H hex, O or Q octal; none means octal), digits, and an optional type
//    suffix (%, &, &&, ?, ??, ???) that decides how the top bits read as a
//    sign.
// Whatever follows the number is ignored. A minus sign also applies to the
// zero and 2^127 results (-0 compares equal to 0).
//
// The decimal value is M * 10^K or M / 10^-K, where M holds the kept digits
// and 10^|K| is built from exact small powers and the extended values
// nearest to 10^8, 10^16, ..., 10^4096; so it is correctly rounded when
// |K| <= 27 and within a few units in the last place otherwise. Where 10^-K
// itself would overflow (below about 1e-4915) the division is done in two
// steps, so that tiny values stay tiny instead of becoming zero.
// Allocates nothing; the caller's error state is not touched.
Real TextToNumber(const Text& text);

// The number at the start of a text, read as TextToNumber reads it, and how
// many characters it takes: its sign, digits, point, suffix, and its
// exponent when that has digits (an exponent letter without digits changes
// nothing and is not counted); leading blanks are not counted either. 0 when
// the text holds no digit where a number would start. A caller that wants
// the whole text to be one number compares `length` with the text's size.
struct NumberReading {
  Real value = 0;
  std::size_t length = 0;
};
NumberReading ReadLeadingNumber(const Text& text);

}  // namespace runtime
