// Exact real arithmetic. Every expression of the model, the conversions and
// the scale is evaluated in 80-bit extended precision (`Real`, 64-bit
// significand) with rounding to nearest-even; a value is rounded to a double
// exactly where it is stored as a named quantity (`StoreDouble`), to a single
// where it is handed to the scale or the box drawing (`ToSingle`), and to a
// whole number by rounding half to even, never by truncation.
//
// `Real` is the x87's own long double where the compiler has it (x86-64), and
// `SoftwareReal` everywhere else, bit for bit the same results. Building with
// MAGPEND_SOFTWARE_REAL defined (the CMake option of that name) takes the
// software type on x86-64 too.
#pragma once

#include <cfloat>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <type_traits>

#include "runtime/software_real.h"

namespace runtime {

// RealFromSignificand(significand, binaryExponent) is the exact value
// significand * 2^binaryExponent (within the normal range): for constants,
// which long double literals cannot give where long double is not the x87's
// format.
#if defined(MAGPEND_SOFTWARE_REAL) || LDBL_MANT_DIG != 64
using Real = SoftwareReal;
constexpr Real RealFromSignificand(std::uint64_t significand, int binaryExponent) {
  return SoftwareReal::FromSignificand(significand, binaryExponent);
}
#else
using Real = long double;
constexpr Real RealFromSignificand(std::uint64_t significand, int binaryExponent) {
  // Square-and-multiply of exact powers of two.
  Real power = 1;
  Real base = binaryExponent < 0 ? 0.5L : 2.0L;
  for (int n = binaryExponent < 0 ? -binaryExponent : binaryExponent; n != 0; n >>= 1) {
    if (n & 1) power *= base;
    if (n > 1) base *= base;
  }
  return static_cast<Real>(significand) * power;
}
#endif

#if LDBL_MANT_DIG == 64
// The same questions of the x87's long double, under the same names as those
// of SoftwareReal, so that code written for Real reads alike for both.
inline bool IsNaN(long double x) { return std::isnan(x); }
inline bool IsInfinite(long double x) { return std::isinf(x); }
inline bool SignBit(long double x) { return std::signbit(x); }
inline long double AbsoluteValue(long double x) { return std::fabs(x); }
inline long double RoundedToDouble(long double x) { return static_cast<double>(x); }
// In the current rounding mode, nearest-even; the inexact flag it may raise
// is masked. (nearbyint would save and restore the whole environment.)
inline long double RoundToIntegral(long double x) { return std::rint(x); }
inline long double RoundedSquareRoot(long double x) { return std::sqrt(x); }
#endif

// The extended types: the software type everywhere, and the x87's long
// double where the compiler has it. The model's formulas and the helpers
// below are written once for both (the program computes with Real; the
// benchmark and the tests compare the two on x86-64).
template <typename Extended>
concept ExtendedReal = std::same_as<Extended, SoftwareReal> || (LDBL_MANT_DIG == 64 && std::same_as<Extended, long double>);

// The store of a named quantity: rounds to the nearest double (ties to even)
// and continues in extended precision. Writing `const Real z = StoreDouble(...)`
// makes every rounding point of a formula visible.
template <ExtendedReal Extended>
[[gnu::always_inline]] inline Extended StoreDouble(Extended value) {
  return RoundedToDouble(value);
}

// Square root that never fails: x below zero, or a NaN, is returned
// unchanged. Otherwise the correctly rounded extended square root
// (sqrt(-0) = -0, sqrt(+inf) = +inf). Always inlined, as StoreDouble: the
// model calls them some thirty times a step (22 StoreDouble and 9 SquareRoot
// with the form's three magnets), a call would pass each 80-bit value
// through memory, and the WebAssembly build's compiler left them calls.
template <ExtendedReal Extended>
[[gnu::always_inline]] inline Extended SquareRoot(Extended x) {
  if (!(x >= 0)) return x;
  return RoundedSquareRoot(x);
}

// b when b >= a, otherwise a (also when the comparison is unordered).
// Of two equal values the second is returned, so MaxReal(-0.0, 0) is +0.
template <ExtendedReal Extended>
Extended MaxReal(Extended a, std::type_identity_t<Extended> b) {
  return b >= a ? b : a;
}

// The same on Real, for arguments of other types (SquareRoot(1800)).
[[gnu::always_inline]] inline Real StoreDouble(Real value) { return StoreDouble<Real>(value); }
[[gnu::always_inline]] inline Real SquareRoot(Real x) { return SquareRoot<Real>(x); }
inline Real MaxReal(Real a, Real b) { return MaxReal<Real>(a, b); }

// The conversions below are written once for both kinds of extended value
// (the exactness test runs them on both); the program calls them on Real.

// Nearest single-precision value, ties to even; overflow gives +-infinity.
template <typename Extended>
float NearestSingle(Extended x) {
  // Beyond half an ulp above the largest single the value rounds to
  // infinity; handled here because the conversion itself would be undefined.
  const Extended overflowBound = Extended(0x1p128) - Extended(0x1p103);
  if (x >= overflowBound) return HUGE_VALF;
  if (x <= -overflowBound) return -HUGE_VALF;
  return static_cast<float>(x);
}
inline float ToSingle(Real x) { return NearestSingle(x); }

// Nearest integer, halves to the even neighbour (2.5 -> 2, -2.5 -> -2).
// A result outside the 32-bit range, or a NaN, gives -2147483648
// (the integer-indefinite value).
template <typename Extended>
std::int32_t NearestInt32(Extended x) {
  const Extended whole = RoundToIntegral(x);
  if (!(whole >= Extended(-0x1p31) && whole < Extended(0x1p31))) return INT32_MIN;
  return static_cast<std::int32_t>(static_cast<std::int64_t>(whole));
}
inline std::int32_t RoundToInt32(Real x) { return NearestInt32(x); }

// Rounds half to even to a 64-bit integer first, then keeps the low 32 bits
// (the millisecond count of a pause). Out of the 64-bit range gives
// 0x8000000000000000, whose low half is 0.
template <typename Extended>
std::uint32_t NearestLow32(Extended x) {
  const Extended whole = RoundToIntegral(x);
  // The integer-indefinite 64-bit value has a low half of zero.
  if (!(whole >= Extended(-0x1p63) && whole < Extended(0x1p63))) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(whole)));
}
inline std::uint32_t RoundToLow32(Real x) { return NearestLow32(x); }

// Loads the x87 control word: round to nearest-even, 64-bit significand,
// all exceptions masked. Called once at start-up and in every worker thread
// (and by tests that need the same setting). Where there is no x87 it does
// nothing: the software type needs no setting. On x86 it is loaded whatever
// Real is, so that the exactness test can compare the two in any build.
void LoadFloatingPointControl();

}  // namespace runtime
