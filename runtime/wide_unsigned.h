// A 128-bit unsigned integer as two 64-bit halves, with the few operations
// the software extended type needs: the full product of two 64-bit numbers,
// sums and differences with carries, shifts, comparisons.
//
// Written on halves rather than on the compiler's 128-bit integer because
// not every target does the latter well: on 64-bit CPUs the product is one
// or two instructions either way, but a 32-bit target (WebAssembly) turns
// every 128-bit product and shift into a call of a general library routine.
// There the product is made of four 32 x 32 -> 64-bit products instead.
#pragma once

#include <bit>
#include <cstdint>

namespace runtime {

struct WideUnsigned {
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  // As a two's complement 128-bit number: whether it is below zero.
  constexpr bool NegativeAsSigned() const { return (high >> 63) != 0; }

  friend constexpr bool operator==(WideUnsigned a, WideUnsigned b) = default;
  friend constexpr bool operator<(WideUnsigned a, WideUnsigned b) {
    return a.high < b.high || (a.high == b.high && a.low < b.low);
  }
  friend constexpr bool operator>(WideUnsigned a, WideUnsigned b) { return b < a; }

  // Modulo 2^128, as unsigned integers wrap.
  friend constexpr WideUnsigned operator+(WideUnsigned a, WideUnsigned b) {
    const std::uint64_t low = a.low + b.low;
    return {a.high + b.high + (low < a.low ? 1 : 0), low};
  }
  friend constexpr WideUnsigned operator-(WideUnsigned a, WideUnsigned b) {
    return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
  }
};

// value, widened.
constexpr WideUnsigned Widen(std::uint64_t value) { return {0, value}; }

// value * 2^64 + 0.
constexpr WideUnsigned Raise64(std::uint64_t value) { return {value, 0}; }

// value * 2^shift, 0 <= shift < 64.
constexpr WideUnsigned ShiftedLeft(std::uint64_t value, int shift) {
  // (Two shifts for the high half: a shift by 64 would be undefined.)
  return {(value >> 1) >> (63 - shift), value << shift};
}

// value * 2^shift, 0 <= shift < 128, modulo 2^128.
constexpr WideUnsigned ShiftedLeft(WideUnsigned value, int shift) {
  if (shift >= 64) [[unlikely]] return {value.low << (shift - 64), 0};
  return {(value.high << shift) | ((value.low >> 1) >> (63 - shift)), value.low << shift};
}

// The number of leading zero bits (128 for zero).
constexpr int LeadingZeros(WideUnsigned value) {
  return value.high != 0 ? std::countl_zero(value.high) : 64 + std::countl_zero(value.low);
}

// The exact product a * b in 32-bit digits, a = aHigh 2^32 + aLow and the
// same for b (schoolbook multiplication): four 32 x 32 -> 64-bit products,
// which a 32-bit target makes well.
constexpr WideUnsigned FullProductInDigits(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t aLow = a & 0xFFFFFFFFu;
  const std::uint64_t aHigh = a >> 32;
  const std::uint64_t bLow = b & 0xFFFFFFFFu;
  const std::uint64_t bHigh = b >> 32;
  const std::uint64_t lowLow = aLow * bLow;
  const std::uint64_t highLow = aHigh * bLow;
  const std::uint64_t lowHigh = aLow * bHigh;
  const std::uint64_t highHigh = aHigh * bHigh;
  // The middle column: at most (2^32 - 1) + (2^32 - 1) + (2^32 - 1)^2,
  // which is 2^64 - 1: no carry is lost.
  const std::uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + lowHigh;
  return {highHigh + (highLow >> 32) + (middle >> 32), (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

// The exact product a * b: on a 64-bit CPU the compiler's 128-bit product
// (one or two instructions), elsewhere in 32-bit digits.
constexpr WideUnsigned FullProduct(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__) && UINTPTR_MAX > 0xFFFFFFFFu
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
  return FullProductInDigits(a, b);
#endif
}

}  // namespace runtime
