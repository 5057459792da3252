// The x87's 80-bit extended format computed in software: a sign, a 15-bit
// exponent and a 64-bit significand with an explicit integer bit, and every
// operation with the result the x87 gives under the program's control word
// (round to nearest-even, 64-bit precision, all exceptions masked):
//
// - +, -, *, / and the square root are rounded once to 64 significant bits;
// - a result below the normal range is denormalised first and then rounded
//   once (no flush to zero); a result beyond the range is an infinity;
// - invalid operations (inf - inf, 0 * inf, 0 / 0, inf / inf, the root of a
//   negative number) give a NaN; only NaN-ness is kept, not sign or payload;
// - comparisons with a NaN are false (!= is true);
// - conversions to double and single are one correct rounding into that
//   format, denormals included, overflowing to infinity.
//
// This is what `Real` is on every CPU whose long double is not the x87's;
// a test compares it bit for bit with the x87 on x86-64. Where a value of
// the type passes to a function and back in registers (64-bit CPUs), the
// operations +, -, *, / and the square root are one function each, never
// inlined: the model's step makes about a hundred of them, and with a copy
// of each at every use its code outgrew the processor's instruction caches
// (measured: 9% slower). WebAssembly's 32-bit calling convention passes and
// returns such a value through memory instead, so there every operation is
// inlined where it is used (measured: a third less time a step). The rare
// paths of each are out of line everywhere. Nothing
// divides integers: a quotient or a root starts from the double unit's
// estimate, is refined by one Newton step in integer products, and only
// where it lies near a rounding boundary is it checked exactly; 128-bit
// values are pairs of 64-bit words
// (runtime/wide_unsigned.h), so no target calls a library routine for them.
#pragma once

#include <bit>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <type_traits>
#include <version>

#include "runtime/wide_unsigned.h"

// The entry of each of +, -, *, / and the square root: see above.
#if defined(__wasm__)
#define MAGPEND_SOFTWARE_OPERATION [[gnu::always_inline]]
#define MAGPEND_SOFTWARE_OPERATIONS_INLINED true
#else
#define MAGPEND_SOFTWARE_OPERATION [[gnu::noinline]]
#define MAGPEND_SOFTWARE_OPERATIONS_INLINED false
#endif

namespace runtime {

// std::bit_cast, or the compiler's own where the standard library predates
// it (the WebAssembly build's).
template <typename To, typename From>
constexpr To BitCast(const From& from) {
#if defined(__cpp_lib_bit_cast)
  return std::bit_cast<To>(from);
#else
  return __builtin_bit_cast(To, from);
#endif
}

class SoftwareReal {
 public:
  static constexpr int exponentBias = 16383;
  static constexpr int infinityExponent = 0x7FFF;
  static constexpr std::uint64_t integerBit = std::uint64_t{1} << 63;

  // Whether +, -, *, / and the square root are inlined where they are used
  // (WebAssembly) or are calls (see above).
  static constexpr bool operationsInlined = MAGPEND_SOFTWARE_OPERATIONS_INLINED;

  constexpr SoftwareReal() = default;  // +0

  // Every integer up to 64 bits is exact.
  template <std::integral Integer>
  constexpr SoftwareReal(Integer value) {  // NOLINT: converts like a built-in type
    bool negative = false;
    auto magnitude = static_cast<std::uint64_t>(value);
    if constexpr (std::is_signed_v<Integer>) {
      negative = value < 0;
      if (negative) magnitude = 0 - magnitude;
    }
    *this = FromMagnitude(negative, magnitude);
  }

  // Exact: every double is an extended value.
  constexpr SoftwareReal(double value) {  // NOLINT: converts like a built-in type
    const auto bits = BitCast<std::uint64_t>(value);
    const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
    if (static_cast<unsigned>(exponent - 1) < 0x7FE) [[likely]] {  // a normal double
      *this = FromFields(static_cast<Sign>(bits >> 63), exponent - 1023 + exponentBias, (bits << 11) | integerBit);
    } else {
      *this = (bits << 1) == 0 ? Zero((bits >> 63) != 0) : FromUnusualDouble(bits);
    }
  }
  constexpr SoftwareReal(float value) : SoftwareReal(static_cast<double>(value)) {}  // NOLINT

  // The exact value significand * 2^binaryExponent, which must lie in the
  // normal range: for constants written as significand and exponent.
  static constexpr SoftwareReal FromSignificand(std::uint64_t significand, int binaryExponent) {
    if (significand == 0) return Zero(false);
    const int shift = std::countl_zero(significand);
    return FromFields(false, binaryExponent + 63 - shift + exponentBias, significand << shift);
  }

  // The raw fields, as the x87 stores them: the sign in bit 15 of
  // signAndExponent, the biased exponent below it.
  static constexpr SoftwareReal FromBits(std::uint16_t signAndExponent, std::uint64_t significand) {
    return FromFields((signAndExponent >> 15) != 0, signAndExponent & 0x7FFF, significand);
  }
  constexpr std::uint16_t SignAndExponent() const {
    return static_cast<std::uint16_t>((negative_ != 0 ? 0x8000 : 0) | exponentField_);
  }
  constexpr std::uint64_t Significand() const { return significand_; }

  constexpr bool Negative() const { return negative_ != 0; }
  constexpr int ExponentField() const { return exponentField_; }
  constexpr bool IsNaN() const { return ExponentField() == infinityExponent && significand_ != integerBit; }
  constexpr bool IsInfinite() const { return ExponentField() == infinityExponent && significand_ == integerBit; }
  constexpr bool IsZero() const { return significand_ == 0; }

  // One rounding into double or single (nearest-even), as a store does.
  explicit constexpr operator double() const {
    return BitCast<double>(NarrowBits<52, 11>());
  }
  explicit constexpr operator float() const {
    return BitCast<float>(static_cast<std::uint32_t>(NarrowBits<23, 8>()));
  }

  // The nearest double as an extended value, as a store to double and a
  // load back give it (without the trip through the double's bits).
  constexpr SoftwareReal RoundedToDouble() const {
    const int doubleExponent = ExponentField() - exponentBias + 1023;
    if (static_cast<unsigned>(doubleExponent - 1) < 2046) [[likely]] {  // a normal double
      const std::uint64_t kept = significand_ >> 11;
      std::uint64_t rounded = kept + RoundsUp(significand_ << 53, kept);
      const int carry = static_cast<int>(rounded >> 53);  // rounded up to the next power of two
      rounded >>= carry;
      if (doubleExponent + carry > 2046) [[unlikely]] return Infinity(Negative());
      return FromFields(negative_, ExponentField() + carry, rounded << 11);
    }
    return IsZero() ? *this : SoftwareReal(static_cast<double>(*this));
  }

  // Truncation towards zero into 64 bits; a NaN or a value outside the
  // range gives the integer-indefinite value, -2^63.
  explicit constexpr operator std::int64_t() const {
    constexpr auto indefinite = static_cast<std::int64_t>(integerBit);
    if (ExponentField() == infinityExponent) return indefinite;
    const int power = ExponentField() - exponentBias;  // of the integer bit
    if (power < 0) return 0;
    if (power >= 63) return indefinite;  // -2^63 itself is that value too
    const std::uint64_t magnitude = significand_ >> (63 - power);
    return Negative() ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  }

  // The nearest integral value, halves to even, the sign of zero kept
  // (the x87's round-to-integer).
  constexpr SoftwareReal RoundToIntegral() const {
    const int field = ExponentField();
    if (field == infinityExponent || IsZero()) return *this;
    const int power = field - exponentBias;
    if (power >= 63) return *this;
    if (power < -1) return Zero(Negative());  // below one half (denormals too)
    return FromMagnitude(Negative(), ShiftRightRoundingEven(significand_, 63 - power));
  }

  [[gnu::always_inline]] constexpr SoftwareReal operator-() const {
    return FromFields(negative_ ^ 1, exponentField_, significand_);
  }

  [[gnu::always_inline]] friend constexpr SoftwareReal operator+(SoftwareReal a, SoftwareReal b) { return Add(a, b); }
  [[gnu::always_inline]] friend constexpr SoftwareReal operator-(SoftwareReal a, SoftwareReal b) { return Add(a, -b); }
  [[gnu::always_inline]] friend constexpr SoftwareReal operator*(SoftwareReal a, SoftwareReal b) { return Multiply(a, b); }
  [[gnu::always_inline]] friend constexpr SoftwareReal operator/(SoftwareReal a, SoftwareReal b) { return Divide(a, b); }
  constexpr SoftwareReal& operator+=(SoftwareReal b) { return *this = *this + b; }
  constexpr SoftwareReal& operator-=(SoftwareReal b) { return *this = *this - b; }
  constexpr SoftwareReal& operator*=(SoftwareReal b) { return *this = *this * b; }
  constexpr SoftwareReal& operator/=(SoftwareReal b) { return *this = *this / b; }

  friend constexpr bool operator==(SoftwareReal a, SoftwareReal b) {
    return !a.IsNaN() && !b.IsNaN() && Equal(a, b);
  }
  friend constexpr bool operator<(SoftwareReal a, SoftwareReal b) {
    return !a.IsNaN() && !b.IsNaN() && Below(a, b);
  }
  friend constexpr bool operator<=(SoftwareReal a, SoftwareReal b) {
    return !a.IsNaN() && !b.IsNaN() && (Below(a, b) || Equal(a, b));
  }
  friend constexpr bool operator>(SoftwareReal a, SoftwareReal b) { return b < a; }
  friend constexpr bool operator>=(SoftwareReal a, SoftwareReal b) { return b <= a; }

  // The correctly rounded square root; below zero a NaN, sqrt(-0) = -0.
  SoftwareReal SquareRoot() const;

 private:
  // The sign as the operations carry it: 1 for negative, 0 otherwise (a
  // word, so that combining two signs needs no conversion to bool).
  using Sign = std::uint32_t;

  // A finite non-zero value taken apart: significand (integer bit set) times
  // 2^(exponent - bias - 63). Denormals get an exponent below 1.
  struct Parts {
    Sign negative;
    int exponent;
    std::uint64_t significand;
  };

  // The square root of a positive normal number, from its exponent and
  // significand (below the class); the other cases, out of line.
  [[gnu::always_inline]] static SoftwareReal SquareRootOfParts(Parts x);
  // Zeros, infinities, NaNs, negative numbers and denormals.
  [[gnu::cold, gnu::noinline]] SoftwareReal SquareRootOfUnusual() const {
    if (ExponentField() == infinityExponent) {
      return IsNaN() || Negative() ? NaN() : *this;
    }
    if (IsZero()) return *this;
    if (Negative()) return NaN();
    return SquareRootOfParts(Unpack());
  }

  // Near a rounding boundary: r from the exact rest n - r^2, starting from an
  // estimate within one unit either way. (r + 1)^2 - r^2 = 2 r + 1.
  [[gnu::cold, gnu::noinline]] static SoftwareReal SquareRootNearBoundary(int exponent, WideUnsigned n, std::uint64_t r) {
    const auto twiceAndOne = [](std::uint64_t root) { return WideUnsigned{root >> 63, (root << 1) | 1}; };
    WideUnsigned rest = n - FullProduct(r, r);
    while (rest.NegativeAsSigned()) {
      --r;
      rest = rest + twiceAndOne(r);
    }
    while (rest > WideUnsigned{r >> 63, r << 1}) {
      rest = rest - twiceAndOne(r);
      ++r;
    }
    const bool roundUp = rest > Widen(r);
    return RoundAndPack(false, exponent, r, roundUp ? integerBit + 1 : 0);
  }

  [[gnu::always_inline]] static constexpr SoftwareReal FromFields(Sign negative, int exponentField, std::uint64_t significand) {
    SoftwareReal x;
    x.significand_ = significand;
    x.exponentField_ = exponentField;
    x.negative_ = negative;
    return x;
  }
  static constexpr SoftwareReal Zero(bool negative) { return FromFields(negative, 0, 0); }
  static constexpr SoftwareReal Infinity(bool negative) {
    return FromFields(negative, infinityExponent, integerBit);
  }
  // The x87's default NaN ("real indefinite").
  static constexpr SoftwareReal NaN() {
    return FromFields(true, infinityExponent, integerBit | (integerBit >> 1));
  }

  static constexpr SoftwareReal FromMagnitude(bool negative, std::uint64_t magnitude) {
    if (magnitude == 0) return Zero(negative);
    const int shift = std::countl_zero(magnitude);
    return FromFields(negative, exponentBias + 63 - shift, magnitude << shift);
  }

  // Zero, a denormal, an infinity or a NaN as a double's bits.
  [[gnu::cold, gnu::noinline]] static constexpr SoftwareReal FromUnusualDouble(std::uint64_t bits) {
    const bool negative = (bits >> 63) != 0;
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (((bits >> 52) & 0x7FF) == 0x7FF) return fraction == 0 ? Infinity(negative) : NaN();
    if (fraction == 0) return Zero(negative);
    // A denormal double is a normal extended value.
    const int shift = std::countl_zero(fraction);
    return FromFields(negative, exponentBias - 1022 - 52 + 63 - shift, fraction << shift);
  }

  constexpr Parts Unpack() const {
    const int field = ExponentField();
    if (field != 0) [[likely]] return {negative_, field, significand_};
    const int shift = std::countl_zero(significand_);
    return {negative_, 1 - shift, significand_ << shift};
  }

  // value >> shift, rounded to nearest-even; any shift >= 0.
  static constexpr std::uint64_t ShiftRightRoundingEven(std::uint64_t value, int shift) {
    if (shift <= 0) return value;
    if (shift > 64) return 0;  // below one half
    if (shift == 64) return value > integerBit ? 1 : 0;  // exactly one half goes to 0
    const std::uint64_t whole = value >> shift;
    return whole + RoundsUp(value << (64 - shift), whole);
  }

  // 1 when the bits below the kept ones, `below` (their top bit worth one
  // half), make nearest-even round `kept` up; 0 otherwise.
  static constexpr std::uint64_t RoundsUp(std::uint64_t below, std::uint64_t kept) {
    // Above one half, or exactly one half with `kept` odd: above one half
    // less the last bit of `kept`.
    return static_cast<std::uint64_t>(below > integerBit - (kept & 1));
  }

  // The bits of the nearest value in a binary format with `fractionBits`
  // stored fraction bits and `exponentBits` exponent bits (double, single).
  template <int fractionBits, int exponentBits>
  constexpr std::uint64_t NarrowBits() const {
    constexpr int narrowBias = (1 << (exponentBits - 1)) - 1;
    constexpr int narrowInfinity = (1 << exponentBits) - 1;
    const int narrowExponent = ExponentField() - exponentBias + narrowBias;
    if (static_cast<unsigned>(narrowExponent - 1) < narrowInfinity - 1) [[likely]] {
      // A normal result (or the next power of two up, up to infinity): the
      // rounded significand carries its integer bit into the exponent
      // field, so a carry out of the fraction raises the exponent.
      const std::uint64_t sign = std::uint64_t{negative_} << (fractionBits + exponentBits);
      return sign + (std::uint64_t(narrowExponent - 1) << fractionBits) +
             ShiftRightRoundingEven(significand_, 63 - fractionBits);
    }
    return UnusualNarrowBits(fractionBits, exponentBits);
  }

  // NarrowBits for a result that is zero, denormal, infinite or NaN.
  [[gnu::cold, gnu::noinline]] constexpr std::uint64_t UnusualNarrowBits(int fractionBits, int exponentBits) const {
    const int narrowBias = (1 << (exponentBits - 1)) - 1;
    const int narrowInfinity = (1 << exponentBits) - 1;
    const std::uint64_t sign = std::uint64_t{negative_} << (fractionBits + exponentBits);
    const std::uint64_t infinity = sign | (std::uint64_t(narrowInfinity) << fractionBits);
    if (ExponentField() == infinityExponent) {
      return IsNaN() ? infinity | (std::uint64_t{1} << (fractionBits - 1)) : infinity;
    }
    if (IsZero()) return sign;
    const Parts parts = Unpack();
    const int narrowExponent = parts.exponent - exponentBias + narrowBias;
    if (narrowExponent >= narrowInfinity) return infinity;
    // Denormal: shifted further down by the exponent missing below 1; one
    // that rounds up to 2^fractionBits becomes the smallest normal.
    return sign + ShiftRightRoundingEven(parts.significand, 63 - fractionBits + 1 - narrowExponent);
  }

  // The order of two values that are not NaNs: by sign, then by exponent
  // and significand (denormals below the normal numbers, infinities above);
  // both zeros are equal.
  static constexpr bool MagnitudeBelow(SoftwareReal a, SoftwareReal b) {
    return a.ExponentField() < b.ExponentField() ||
           (a.ExponentField() == b.ExponentField() && a.significand_ < b.significand_);
  }
  static constexpr bool Equal(SoftwareReal a, SoftwareReal b) {
    return (a.IsZero() && b.IsZero()) || (a.negative_ == b.negative_ && a.exponentField_ == b.exponentField_ && a.significand_ == b.significand_);
  }
  static constexpr bool Below(SoftwareReal a, SoftwareReal b) {
    if (a.Negative() != b.Negative()) return a.Negative() && !(a.IsZero() && b.IsZero());
    return a.Negative() ? MagnitudeBelow(b, a) : MagnitudeBelow(a, b);
  }

  // The one rounding of every operation. The exact result is
  // (significand + extra / 2^64) * 2^(exponent - bias - 63), the
  // significand's integer bit set; `extra` holds the bits below it (its top
  // bit the round bit, any other set bit counts as sticky).
  [[gnu::always_inline]] static constexpr SoftwareReal RoundAndPack(Sign negative, int exponent, std::uint64_t significand,
                                             std::uint64_t extra) {
    if (exponent <= 0) [[unlikely]] return RoundAndPackTiny(negative, exponent, significand, extra);
    // Without branches: the rounding direction is as random as the data.
    significand += RoundsUp(extra, significand);
    if (significand == 0) [[unlikely]] {  // carried out of all ones
      significand = integerBit;
      ++exponent;
    }
    if (exponent >= infinityExponent) return Infinity(negative);
    return FromFields(negative, exponent, significand);
  }

  // Below the normal range: shifted down to the denormal grid (exponent
  // field 0, unit 2^(1 - bias - 63)), then rounded once.
  [[gnu::cold, gnu::noinline]] static constexpr SoftwareReal RoundAndPackTiny(Sign negative, int exponent, std::uint64_t significand,
                                                 std::uint64_t extra) {
    const int shift = 1 - exponent;
    std::uint64_t kept = 0;
    std::uint64_t below = 0;
    if (shift < 64) {
      kept = significand >> shift;
      below = (significand << (64 - shift)) | (extra >> shift) |
              ((extra & ((std::uint64_t{1} << shift) - 1)) != 0 ? 1 : 0);
    } else if (shift < 128) {
      const int downBy = shift - 64;
      const std::uint64_t lost = downBy == 0 ? 0 : significand << (64 - downBy);
      below = (significand >> downBy) | ((lost | extra) != 0 ? 1 : 0);
    } else {
      below = 1;
    }
    kept += RoundsUp(below, kept);
    // A carry into the integer bit makes it the smallest normal.
    return FromFields(negative, (kept & integerBit) != 0 ? 1 : 0, kept);
  }

  // The exact result is wide * 2^(exponent - bias - 127), wide not zero.
  [[gnu::always_inline]] static constexpr SoftwareReal NormalizeRoundAndPack(Sign negative, int exponent, WideUnsigned wide) {
    const int shift = LeadingZeros(wide);
    wide = ShiftedLeft(wide, shift);
    return RoundAndPack(negative, exponent - shift, wide.high, wide.low);
  }

  // Whether both are normal numbers (not zero, denormal, infinite or NaN):
  // the common case, which skips the special cases below.
  static constexpr bool BothNormal(SoftwareReal a, SoftwareReal b) {
    return static_cast<unsigned>(a.ExponentField() - 1) < infinityExponent - 1 &&
           static_cast<unsigned>(b.ExponentField() - 1) < infinityExponent - 1;
  }
  constexpr Parts NormalParts() const { return {negative_, ExponentField(), significand_}; }

  MAGPEND_SOFTWARE_OPERATION static constexpr SoftwareReal Add(SoftwareReal a, SoftwareReal b) {
    if (!BothNormal(a, b)) [[unlikely]] return AddSpecial(a, b);
    return AddParts(a.NormalParts(), b.NormalParts());
  }

  [[gnu::cold, gnu::noinline]] static constexpr SoftwareReal AddSpecial(SoftwareReal a, SoftwareReal b) {
    if (a.ExponentField() == infinityExponent || b.ExponentField() == infinityExponent) {
      if (a.IsNaN() || b.IsNaN()) return NaN();
      if (a.IsInfinite() && b.IsInfinite()) return a.Negative() == b.Negative() ? a : NaN();
      return a.IsInfinite() ? a : b;
    }
    if (b.IsZero()) {
      // -0 + -0 is -0; every other sum of zeros is +0.
      if (a.IsZero()) return Zero(a.Negative() && b.Negative());
      return a;
    }
    if (a.IsZero()) return b;
    return AddParts(a.Unpack(), b.Unpack());
  }

  [[gnu::always_inline]] static constexpr SoftwareReal AddParts(Parts x, Parts y) {
    // x the larger in magnitude (chosen without a branch: which one it is
    // is as random as the data).
    const bool swap = x.exponent < y.exponent || (x.exponent == y.exponent && x.significand < y.significand);
    const Parts larger = swap ? y : x;
    const Parts smaller = swap ? x : y;
    // The smaller significand shifted to the larger's exponent: `kept` the
    // bits that line up with the larger's, `below` the 64 bits under them.
    // Bits shifted out of those 64 are kept as one sticky bit, which the
    // zero bits of the larger under its own make exact for a difference
    // too.
    const int distance = larger.exponent - smaller.exponent;
    std::uint64_t kept = 0;
    std::uint64_t below = 0;
    if (distance < 64) [[likely]] {
      kept = smaller.significand >> distance;
      below = (smaller.significand << 1) << (63 - distance);  // (two shifts: distance may be 0)
    } else if (distance < 128) {
      const int down = distance - 64;
      below = smaller.significand >> down;
      below |= ((smaller.significand << 1) << (63 - down)) != 0 ? 1 : 0;
    } else {
      below = 1;
    }
    if (larger.negative == smaller.negative) {
      std::uint64_t sum = larger.significand + kept;
      if (sum < kept) {  // carried into a 65th bit: one place down
        below = (below >> 1) | (sum << 63) | (below & 1);
        sum = (sum >> 1) | integerBit;
        return RoundAndPack(larger.negative, larger.exponent + 1, sum, below);
      }
      return RoundAndPack(larger.negative, larger.exponent, sum, below);
    }
    const std::uint64_t borrow = below != 0 ? 1 : 0;
    const std::uint64_t high = larger.significand - kept - borrow;
    const std::uint64_t low = 0 - below;
    if ((high & integerBit) != 0) return RoundAndPack(larger.negative, larger.exponent, high, low);
    if ((high | low) == 0) return Zero(false);  // an exact cancellation is +0
    return NormalizeRoundAndPack(larger.negative, larger.exponent, {high, low});
  }

  MAGPEND_SOFTWARE_OPERATION static constexpr SoftwareReal Multiply(SoftwareReal a, SoftwareReal b) {
    if (!BothNormal(a, b)) [[unlikely]] return MultiplySpecial(a, b);
    return MultiplyParts(a.NormalParts(), b.NormalParts());
  }

  [[gnu::cold, gnu::noinline]] static constexpr SoftwareReal MultiplySpecial(SoftwareReal a, SoftwareReal b) {
    const bool negative = a.Negative() != b.Negative();
    if (a.ExponentField() == infinityExponent || b.ExponentField() == infinityExponent) {
      if (a.IsNaN() || b.IsNaN() || a.IsZero() || b.IsZero()) return NaN();
      return Infinity(negative);
    }
    if (a.IsZero() || b.IsZero()) return Zero(negative);
    return MultiplyParts(a.Unpack(), b.Unpack());
  }

  [[gnu::always_inline]] static constexpr SoftwareReal MultiplyParts(Parts x, Parts y) {
    // The product of two significands of 64 bits has 127 or 128 bits;
    // one of 127 is moved up by one place (without a branch: which it is
    // is as random as the data).
    const WideUnsigned product = FullProduct(x.significand, y.significand);
    const int shift = product.NegativeAsSigned() ? 0 : 1;
    const WideUnsigned normalized = {(product.high << shift) | ((product.low >> 63) & shift), product.low << shift};
    return RoundAndPack(x.negative ^ y.negative, x.exponent + y.exponent - exponentBias + 1 - shift,
                        normalized.high, normalized.low);
  }

  MAGPEND_SOFTWARE_OPERATION static constexpr SoftwareReal Divide(SoftwareReal a, SoftwareReal b) {
    if (!BothNormal(a, b)) [[unlikely]] return DivideSpecial(a, b);
    return DivideParts(a.NormalParts(), b.NormalParts());
  }

  [[gnu::cold, gnu::noinline]] static constexpr SoftwareReal DivideSpecial(SoftwareReal a, SoftwareReal b) {
    const bool negative = a.Negative() != b.Negative();
    if (a.ExponentField() == infinityExponent || b.ExponentField() == infinityExponent) {
      if (a.IsNaN() || b.IsNaN() || (a.IsInfinite() && b.IsInfinite())) return NaN();
      return a.IsInfinite() ? Infinity(negative) : Zero(negative);
    }
    if (b.IsZero()) return a.IsZero() ? NaN() : Infinity(negative);
    if (a.IsZero()) return Zero(negative);
    return DivideParts(a.Unpack(), b.Unpack());
  }

  [[gnu::always_inline]] static constexpr SoftwareReal DivideParts(Parts x, Parts y) {
    // The quotient q = floor(n / d) of n = x's significand times 2^63 (or
    // 2^64 when it is below d, y's significand), so that q has 64 bits; the
    // round bit and the sticky bit are the fraction n / d - q.
    const std::uint64_t d = y.significand;
    const bool below = x.significand < d;
    const WideUnsigned n = below ? Raise64(x.significand) : ShiftedLeft(x.significand, 63);
    const int exponent = x.exponent - y.exponent + exponentBias - (below ? 1 : 0);
    // The double unit's estimate of q, within 2^13 (four roundings of 2^-53
    // each, relative), with the reciprocal of d that the correction below
    // needs too.
    const double halfReciprocal = 1.0 / HalfAsDouble(d);  // 2 / d
    // (The power of two is applied while the reciprocal is computed.)
    const double quarterQuotient = HalfAsDouble(x.significand) * (below ? 0x1p62 : 0x1p61) * halfReciprocal;
    const std::uint64_t estimate = ToUnsignedFromQuarter(quarterQuotient);
    // One Newton step on the exact remainder n - estimate d, below 2^78 in
    // magnitude: its top bits times the reciprocal give n / d - estimate
    // within 2^-36, as a fixed-point number with 32 bits of fraction.
    const std::int64_t correction = static_cast<std::int64_t>(
        static_cast<double>(TopBitsOfSigned(n - FullProduct(estimate, d))) * (halfReciprocal * 0x1p47));
    if (!NearRoundingBoundary(correction)) [[likely]] {
      // q and its fraction are known: the fraction is neither 0 nor 1/2.
      return RoundAndPack(x.negative ^ y.negative, exponent, estimate + static_cast<std::uint64_t>(correction >> 32),
                          FractionBits(correction));
    }
    return DivideNearBoundary(x.negative ^ y.negative, exponent, n, d, AddSaturating(estimate, correction >> 32));
  }

  // Near a rounding boundary: the quotient q of n / d from the exact
  // remainder, starting from an estimate within one unit either way.
  [[gnu::cold, gnu::noinline]] static constexpr SoftwareReal DivideNearBoundary(Sign negative, int exponent,
                                                                                WideUnsigned n, std::uint64_t d,
                                                                                std::uint64_t q) {
    WideUnsigned remainder = n - FullProduct(q, d);
    while (remainder.NegativeAsSigned()) {
      remainder = remainder + Widen(d);
      --q;
    }
    while (!(remainder < Widen(d))) {
      remainder = remainder - Widen(d);
      ++q;
    }
    // The bits below q: the round bit when 2 r >= d, any other bit when
    // 2 r is neither 0 nor d.
    const std::uint64_t r = remainder.low;
    const bool roundBit = r >= d - r;
    const bool sticky = r != 0 && r != d - r;
    return RoundAndPack(negative, exponent, q, (roundBit ? integerBit : 0) | (sticky ? 1 : 0));
  }

  // A Newton step's correction as a fixed-point number with 32 bits of
  // fraction, accurate to a few units of its last place: whether the value
  // it corrects may lie within 2^-27 of a whole number or of a half, where
  // the round and sticky bits need the exact remainder.
  static constexpr bool NearRoundingBoundary(std::int64_t fixedPoint) {
    return ((static_cast<std::uint64_t>(fixedPoint) + 32) & 0x7FFFFFFF) < 64;
  }
  // Its fraction as the bits below a significand (top bit the round bit;
  // the sticky bit set, as the fraction is not a half).
  static constexpr std::uint64_t FractionBits(std::int64_t fixedPoint) {
    return (static_cast<std::uint64_t>(fixedPoint) << 32) | 1;
  }

  // Conversions between integers and doubles that are single instructions
  // on every CPU (the signed 64-bit ones; the unsigned ones are not, on
  // x86-64).
  // value / 2, rounded to a double.
  static constexpr double HalfAsDouble(std::uint64_t value) {
    return static_cast<double>(static_cast<std::int64_t>(value >> 1));
  }
  // Four times `quarter` truncated to an integer, for a quarter of an
  // estimate of a number in [2^63, 2^64): clamped to the largest double
  // below 2^62, so that an estimate a little too large stays a 64-bit
  // number.
  static constexpr std::uint64_t ToUnsignedFromQuarter(double quarter) {
    quarter = quarter > 0x1p62 - 0x1p9 ? 0x1p62 - 0x1p9 : quarter;
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(quarter)) << 2;
  }
  // A 128-bit two's complement value below 2^78 in magnitude, divided by
  // 2^16 (rounded down): a 64-bit signed integer.
  static constexpr std::int64_t TopBitsOfSigned(WideUnsigned value) {
    return static_cast<std::int64_t>((value.high << 48) | (value.low >> 16));
  }
  // value + step, but at most 2^64 - 1.
  static constexpr std::uint64_t AddSaturating(std::uint64_t value, std::int64_t step) {
    const std::uint64_t sum = value + static_cast<std::uint64_t>(step);
    return step > 0 && sum < value ? ~std::uint64_t{0} : sum;
  }

  // Kept apart (not packed as the x87 stores them) so that no operation
  // spends instructions taking them apart and putting them together again.
  // The sign is a 32-bit word, not a bool: the exponent and the sign then
  // fill their eight bytes without padding, and a call passes them in one
  // register as they are (around a bool's padding the compiler masked at
  // every call: 3% of the step's instructions).
  std::uint64_t significand_ = 0;
  std::int32_t exponentField_ = 0;  // biased: 0 for zeros and denormals, 0x7FFF for infinities and NaNs
  Sign negative_ = 0;               // 1 for negative values, else 0
};

MAGPEND_SOFTWARE_OPERATION inline SoftwareReal SoftwareReal::SquareRoot() const {
  if (Negative() || static_cast<unsigned>(ExponentField() - 1) >= infinityExponent - 1) [[unlikely]] {
    return SquareRootOfUnusual();
  }
  return SquareRootOfParts(NormalParts());
}

// The root from the integer square root r of n (r * r <= n < (r + 1)^2)
// for n in [2^126, 2^128), and whether sqrt(n) lies above r + 1/2 (it is
// never exactly r + 1/2). Seeded by the double root of the top 64 bits and
// corrected by one Newton step; only where the root lies near a whole
// number or a half is r checked exactly by comparing squares.
inline SoftwareReal SoftwareReal::SquareRootOfParts(Parts x) {
  // x = significand * 2^(power - 63); n = significand * 2^(63 or 64) makes
  // the remaining power even.
  const int power = x.exponent - exponentBias;
  const WideUnsigned n = (power & 1) != 0 ? Raise64(x.significand) : ShiftedLeft(x.significand, 63);
  const int rootExponent = (power >> 1) + exponentBias;  // floor(power / 2): the root's power
  // The double root of a quarter of the top 64 bits, times 2^31, is a
  // quarter of sqrt(n) within 2^11, so the seed is within 2^13. The
  // reciprocal of twice the root is computed while the residual is.
  const double quarterRoot = std::sqrt(static_cast<double>(static_cast<std::int64_t>(n.high >> 2))) * 0x1p31;
  const double inverseOfTwiceRoot = 0.125 / quarterRoot;
  const std::uint64_t seed = ToUnsignedFromQuarter(quarterRoot);
  // One Newton step on the exact residual n - seed^2, below 2^78 in
  // magnitude: the root's offset from the seed, residual / (2 seed), within
  // 2^-36 (the step's own error, (seed - root)^2 / (2 seed), is below
  // 2^-37), as a fixed-point number with 32 bits of fraction.
  const auto step = static_cast<std::int64_t>(static_cast<double>(TopBitsOfSigned(n - FullProduct(seed, seed))) *
                                              (0x1p48 * inverseOfTwiceRoot));
  // The root is never exactly r + 1/2: the fraction's top bit rounds.
  if (!NearRoundingBoundary(step)) [[likely]] {
    return RoundAndPack(false, rootExponent, seed + static_cast<std::uint64_t>(step >> 32), FractionBits(step));
  }
  return SquareRootNearBoundary(rootExponent, n, AddSaturating(seed, step >> 32));
}

// The same questions as for a built-in floating-point value.
inline bool IsNaN(SoftwareReal x) { return x.IsNaN(); }
inline bool IsInfinite(SoftwareReal x) { return x.IsInfinite(); }
inline bool SignBit(SoftwareReal x) { return x.Negative(); }
inline SoftwareReal RoundedToDouble(SoftwareReal x) { return x.RoundedToDouble(); }
inline SoftwareReal AbsoluteValue(SoftwareReal x) { return x.Negative() ? -x : x; }
inline SoftwareReal RoundToIntegral(SoftwareReal x) { return x.RoundToIntegral(); }
[[gnu::always_inline]] inline SoftwareReal RoundedSquareRoot(SoftwareReal x) { return x.SquareRoot(); }

}  // namespace runtime

#undef MAGPEND_SOFTWARE_OPERATION
#undef MAGPEND_SOFTWARE_OPERATIONS_INLINED
