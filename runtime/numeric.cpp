#include "runtime/numeric.h"

namespace runtime {

void LoadFloatingPointControl() {
#if defined(__x86_64__) || defined(__i386__)
  // Round to nearest-even (RC 00), 64-bit significand (PC 11), infinity
  // control set, all six exceptions masked.
  const unsigned short controlWord = 0x133F;
  asm volatile("fldcw %0" : : "m"(controlWord));
#endif
}

}  // namespace runtime
