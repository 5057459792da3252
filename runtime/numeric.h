// Exact real arithmetic. Every expression of the model, the conversions and
// the scale is evaluated in 80-bit extended precision (`Real`, 64-bit
// significand) with rounding to nearest-even; a value is rounded to a double
// exactly where it is stored as a named quantity (`StoreDouble`), to a single
// where it is handed to the scale or the box drawing (`ToSingle`), and to a
// whole number by rounding half to even, never by truncation.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace runtime {

static_assert(LDBL_MANT_DIG == 64,
              "magpend needs the 80-bit extended long double of x86-64");

using Real = long double;

// The store of a named quantity: rounds to the nearest double (ties to even)
// and continues in extended precision. Writing `const Real z = StoreDouble(...)`
// makes every rounding point of a formula visible.
inline Real StoreDouble(Real value) { return static_cast<double>(value); }

// Square root that never fails: x below zero, or a NaN, is returned
// unchanged. Otherwise the correctly rounded extended square root
// (sqrt(-0) = -0, sqrt(+inf) = +inf). Inline, as MaxReal: the model calls
// them fifteen times a step, and a call would pass each 80-bit value
// through memory.
inline Real SquareRoot(Real x) {
  if (!(x >= 0.0L)) return x;
  return std::sqrt(x);
}

// b when b >= a, otherwise a (also when the comparison is unordered).
// Of two equal values the second is returned, so MaxReal(-0.0, 0) is +0.
inline Real MaxReal(Real a, Real b) { return b >= a ? b : a; }

// Nearest single-precision value, ties to even; overflow gives +-infinity.
float ToSingle(Real x);

// Nearest integer, halves to the even neighbour (2.5 -> 2, -2.5 -> -2).
// A result outside the 32-bit range, or a NaN, gives -2147483648
// (the integer-indefinite value).
std::int32_t RoundToInt32(Real x);

// Rounds half to even to a 64-bit integer first, then keeps the low 32 bits
// (the millisecond count of a pause). Out of the 64-bit range gives
// 0x8000000000000000, whose low half is 0.
std::uint32_t RoundToLow32(Real x);

// Loads the x87 control word used for all calculations: round to
// nearest-even, 64-bit significand, all exceptions masked. Called once at
// start-up (and by tests that need the same setting).
void LoadFloatingPointControl();

}  // namespace runtime
