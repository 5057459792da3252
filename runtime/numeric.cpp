#include "runtime/numeric.h"

#include <cmath>
#include <limits>

namespace runtime {

float ToSingle(Real x) {
  // Beyond half an ulp above the largest single the value rounds to
  // infinity; handled here because the conversion itself would be undefined.
  constexpr Real overflowBound = 0x1p128L - 0x1p103L;
  if (x >= overflowBound) return std::numeric_limits<float>::infinity();
  if (x <= -overflowBound) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(x);
}

std::int32_t RoundToInt32(Real x) {
  // rint rounds in the current mode, nearest-even; the inexact flag it may
  // raise is masked. (nearbyint would save and restore the whole environment.)
  const Real whole = std::rint(x);
  if (!(whole >= -0x1p31L && whole < 0x1p31L)) return INT32_MIN;
  return static_cast<std::int32_t>(whole);
}

std::uint32_t RoundToLow32(Real x) {
  const Real whole = std::rint(x);
  // The integer-indefinite 64-bit value has a low half of zero.
  if (!(whole >= -0x1p63L && whole < 0x1p63L)) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(whole)));
}

void LoadFloatingPointControl() {
  // Round to nearest-even (RC 00), 64-bit significand (PC 11), infinity
  // control set, all six exceptions masked.
  const unsigned short controlWord = 0x133F;
  asm volatile("fldcw %0" : : "m"(controlWord));
}

}  // namespace runtime
