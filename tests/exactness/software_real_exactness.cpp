// The software extended type against the x87 itself: every operation and
// conversion of SoftwareReal on random operands, drawn class by class (both
// signs, zeros, denormals, exponents near overflow and underflow,
// infinities, NaNs, exact halfway cases, cancellations, hard significands,
// both operands doubles held in the extended type, as the model's mostly are),
// each result compared bit for bit with the x87's under the program's
// control word (of a NaN only its NaN-ness counts).
//
//   software_real_exactness [operands per operation | --long] [operations]
//
// One million operands per operation by default, 100 million with --long;
// `operations` (names separated by commas) runs only those.
// Prints the count and the differences per operation; exits with 1 if there
// is any difference.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/numeric.h"
#include "runtime/software_real.h"

namespace {

using runtime::SoftwareReal;

static_assert(sizeof(long double) >= 10 && LDBL_MANT_DIG == 64, "needs the x87's long double");

// The x87 format's fields, as both types hold them.
struct Bits {
  std::uint16_t signAndExponent;
  std::uint64_t significand;
};

long double ToX87(Bits bits) {
  long double x = 0;
  std::memcpy(&x, &bits.significand, 8);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &bits.signAndExponent, 2);
  return x;
}

Bits FromX87(long double x) {
  Bits bits{};
  std::memcpy(&bits.significand, &x, 8);
  std::memcpy(&bits.signAndExponent, reinterpret_cast<const char*>(&x) + 8, 2);
  return bits;
}

SoftwareReal ToSoftware(Bits bits) { return SoftwareReal::FromBits(bits.signAndExponent, bits.significand); }
Bits FromSoftware(SoftwareReal x) { return {x.SignAndExponent(), x.Significand()}; }

bool IsNaNBits(Bits b) {
  return (b.signAndExponent & 0x7FFF) == 0x7FFF && b.significand != SoftwareReal::integerBit;
}

bool SameBits(Bits a, Bits b) {
  if (IsNaNBits(a) || IsNaNBits(b)) return IsNaNBits(a) && IsNaNBits(b);
  return a.signAndExponent == b.signAndExponent && a.significand == b.significand;
}

// splitmix64: fast, and the same sequence on every run.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Coin() { return (Next() & 1) != 0; }

 private:
  std::uint64_t state_;
};

constexpr std::uint64_t integerBit = SoftwareReal::integerBit;
constexpr int bias = SoftwareReal::exponentBias;

Bits Make(bool negative, int field, std::uint64_t significand) {
  return {static_cast<std::uint16_t>((negative ? 0x8000 : 0) | field), significand};
}

// Significands that make hard cases: all ones, powers of two, few bits set,
// long runs, a random double's (low 11 bits zero), and plain random ones.
std::uint64_t HardSignificand(Random& random) {
  switch (random.Below(8)) {
    case 0: return ~std::uint64_t{0} - static_cast<std::uint64_t>(random.Below(4));
    case 1: return integerBit;
    case 2: return integerBit | (std::uint64_t{1} << random.Below(63));
    case 3: return integerBit | (std::uint64_t{1} << random.Below(63)) | (std::uint64_t{1} << random.Below(63));
    case 4: return integerBit | (~std::uint64_t{0} >> (1 + random.Below(63)));
    case 5: return integerBit | (random.Next() & ~std::uint64_t{0x7FF});
    case 6: return integerBit | (random.Next() & (~std::uint64_t{0} << random.Below(64)));
    default: return integerBit | random.Next();
  }
}

// An operand of a random class.
Bits RandomOperand(Random& random) {
  const bool negative = random.Coin();
  switch (random.Below(12)) {
    case 0: return Make(negative, 1 + random.Below(0x7FFE), HardSignificand(random));      // anywhere
    case 1: return Make(negative, 1 + random.Below(80), HardSignificand(random));          // near underflow
    case 2: return Make(negative, 0x7FFE - random.Below(80), HardSignificand(random));     // near overflow
    case 3: return Make(negative, 0, HardSignificand(random) >> (1 + random.Below(63)));   // denormal
    case 4: return Make(negative, 0, 0);                                                   // zero
    case 5:
      if (random.Below(4) != 0) return Make(negative, 0x7FFF, integerBit);                 // infinity
      return Make(negative, 0x7FFF, integerBit | (integerBit >> 1) | (random.Next() >> 2));  // NaN
    case 6: return Make(negative, bias - 1 + random.Below(66), HardSignificand(random));   // whole numbers, halves
    case 7: return Make(negative, bias - 1100 + random.Below(2200), HardSignificand(random));  // around doubles' range
    case 8: return Make(negative, bias - 150 + random.Below(300), HardSignificand(random));  // around singles' range
    case 9: return Make(negative, bias - 1075 + random.Below(30), HardSignificand(random));  // doubles' denormals
    case 10: return Make(negative, bias - 150 + random.Below(30), HardSignificand(random));  // singles' denormals
    default: return Make(negative, bias - 40 + random.Below(80), HardSignificand(random));  // ordinary sizes
  }
}

// A second operand related to the first: equal or opposite (cancellation),
// a neighbour, a nearby exponent, or just below its last bit (halfway sums).
Bits PartnerOperand(Random& random, Bits a) {
  const int field = a.signAndExponent & 0x7FFF;
  const bool negative = (a.signAndExponent & 0x8000) != 0;
  if (field == 0 || field == 0x7FFF || random.Below(3) == 0) return RandomOperand(random);
  const auto clampField = [](int f) { return f < 1 ? 1 : (f > 0x7FFE ? 0x7FFE : f); };
  switch (random.Below(5)) {
    case 0: return Make(random.Coin() ? negative : !negative, field, a.significand);
    case 1: {
      const std::uint64_t step = static_cast<std::uint64_t>(random.Below(5)) - 2;
      const std::uint64_t s = a.significand + step;
      return Make(random.Coin() ? negative : !negative, field, s < integerBit ? a.significand : s);
    }
    case 2: return Make(random.Coin(), clampField(field - 3 + random.Below(7)), HardSignificand(random));
    case 3: return Make(random.Coin(), clampField(field - 66 + random.Below(6)), HardSignificand(random));
    default: return Make(random.Coin(), clampField(field - 130 + random.Below(260)), HardSignificand(random));
  }
}

// Squares and their neighbours, for the square root.
Bits RootOperand(Random& random) {
  if (random.Below(3) == 0) return RandomOperand(random);
  const std::uint64_t root = (random.Next() >> 32) | (std::uint64_t{1} << 31);
  std::uint64_t square = root * root;  // 63 or 64 bits
  square += static_cast<std::uint64_t>(random.Below(5)) - 2;
  int shift = 0;
  while ((square << shift & integerBit) == 0) ++shift;
  const int field = (random.Below(4) == 0 ? 1 + random.Below(0x7FFD) : bias - 64 + random.Below(128));
  return Make(false, field, square << shift);
}

struct Counter {
  std::string name;
  std::uint64_t tried = 0;
  std::uint64_t differences = 0;

  void Check(bool same, const std::function<std::string()>& describe) {
    ++tried;
    if (same) return;
    if (++differences <= 5) std::printf("  %s differs: %s\n", name.c_str(), describe().c_str());
  }
};

std::string Hex(Bits b) {
  char text[64];
  std::snprintf(text, sizeof text, "%04x:%016llx", b.signAndExponent,
                static_cast<unsigned long long>(b.significand));
  return text;
}

std::string Hex64(std::uint64_t v) {
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

template <typename Operation>
void CheckBinary(Counter& counter, Bits a, Bits b, Operation operation) {
  const Bits expected = FromX87(operation(ToX87(a), ToX87(b)));
  const Bits actual = FromSoftware(operation(ToSoftware(a), ToSoftware(b)));
  counter.Check(SameBits(expected, actual), [&] {
    return Hex(a) + " , " + Hex(b) + " -> " + Hex(actual) + " instead of " + Hex(expected);
  });
}

template <typename Operation>
void CheckUnary(Counter& counter, Bits a, Operation operation) {
  const Bits expected = FromX87(operation(ToX87(a)));
  const Bits actual = FromSoftware(operation(ToSoftware(a)));
  counter.Check(SameBits(expected, actual),
                [&] { return Hex(a) + " -> " + Hex(actual) + " instead of " + Hex(expected); });
}

// Results that are not extended values: compared as integers (a NaN's
// payload cleared first by the caller where it may occur).
template <typename Operation>
void CheckInteger(Counter& counter, Bits a, Operation operation) {
  const std::uint64_t expected = operation(ToX87(a));
  const std::uint64_t actual = operation(ToSoftware(a));
  counter.Check(expected == actual,
                [&] { return Hex(a) + " -> " + Hex64(actual) + " instead of " + Hex64(expected); });
}

std::uint64_t DoubleBits(double d) {
  return std::isnan(d) ? 0x7FF8000000000000u : std::bit_cast<std::uint64_t>(d);
}
std::uint64_t SingleBits(float f) {
  return std::isnan(f) ? 0x7FC00000u : std::bit_cast<std::uint32_t>(f);
}

template <typename Extended>
std::uint64_t Comparisons(Extended a, Extended b) {
  return (a < b ? 1 : 0) | (a <= b ? 2 : 0) | (a == b ? 4 : 0) | (a != b ? 8 : 0) | (a >= b ? 16 : 0) |
         (a > b ? 32 : 0);
}

// A double of a random class (zeros, denormals, extremes, NaN, infinity).
double RandomDouble(Random& random) {
  const std::uint64_t sign = random.Coin() ? std::uint64_t{1} << 63 : 0;
  const std::uint64_t fraction = random.Next() >> 12;
  switch (random.Below(8)) {
    case 0: return std::bit_cast<double>(sign | (fraction >> random.Below(52)));  // denormal or zero
    case 1: return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52) | (random.Below(2) ? 0 : fraction | 1));
    case 2: return std::bit_cast<double>(sign | (std::uint64_t(1 + random.Below(40)) << 52) | fraction);
    case 3: return std::bit_cast<double>(sign | (std::uint64_t(0x7FE - random.Below(40)) << 52) | fraction);
    case 4:  // the model's sizes
    case 5: return std::bit_cast<double>(sign | (std::uint64_t(1023 - 30 + random.Below(60)) << 52) | fraction);
    default: return std::bit_cast<double>(sign | (std::uint64_t(1 + random.Below(0x7FE)) << 52) | fraction);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t count = 1000000;
  if (argc > 1) count = std::strcmp(argv[1], "--long") == 0 ? 100000000 : std::strtoull(argv[1], nullptr, 10);
  runtime::LoadFloatingPointControl();
  Random random(0x5EED + count);

  const std::string chosen = argc > 2 ? "," + std::string(argv[2]) + "," : "";
  std::vector<Counter> counters;
  const auto run = [&](const char* name, const std::function<void(Counter&)>& one) {
    if (!chosen.empty() && chosen.find("," + std::string(name) + ",") == std::string::npos) return;
    Counter counter{name};
    for (std::uint64_t i = 0; i < count; ++i) one(counter);
    std::printf("%-16s %12llu operands, %llu differences\n", name,
                static_cast<unsigned long long>(counter.tried),
                static_cast<unsigned long long>(counter.differences));
    std::fflush(stdout);
    counters.push_back(counter);
  };

  // One pair in four: both operands doubles held in the extended type, as
  // the model's operands mostly are (its named quantities are stored as
  // doubles), the second often a near neighbour of the first.
  const auto doublePair = [&]() -> std::pair<Bits, Bits> {
    const double a = RandomDouble(random);
    const double b = random.Coin() ? RandomDouble(random)
                                   : std::bit_cast<double>(std::bit_cast<std::uint64_t>(a) + random.Below(5) - 2) *
                                         (random.Coin() ? 1 : -1);
    return {FromX87(a), FromX87(b)};
  };
  const auto pair = [&](Counter& c, auto operation) {
    const bool bothDoubles = random.Below(4) == 0;
    const auto [a, b] = bothDoubles ? doublePair() : [&] {
      const Bits first = RandomOperand(random);
      return std::pair<Bits, Bits>{first, PartnerOperand(random, first)};
    }();
    if (random.Coin()) {
      CheckBinary(c, a, b, operation);
    } else {
      CheckBinary(c, b, a, operation);
    }
  };
  run("add", [&](Counter& c) { pair(c, [](auto a, auto b) { return a + b; }); });
  run("subtract", [&](Counter& c) { pair(c, [](auto a, auto b) { return a - b; }); });
  run("multiply", [&](Counter& c) { pair(c, [](auto a, auto b) { return a * b; }); });
  run("divide", [&](Counter& c) { pair(c, [](auto a, auto b) { return a / b; }); });
  run("square root", [&](Counter& c) {
    const Bits a = random.Below(4) == 0 ? FromX87(RandomDouble(random)) : RootOperand(random);
    CheckUnary(c, a, [](auto a) { return runtime::RoundedSquareRoot(a); });
  });
  run("negate", [&](Counter& c) { CheckUnary(c, RandomOperand(random), [](auto a) { return -a; }); });
  run("compare", [&](Counter& c) {
    const Bits a = RandomOperand(random);
    const Bits b = PartnerOperand(random, a);
    const std::uint64_t expected = Comparisons(ToX87(a), ToX87(b));
    const std::uint64_t actual = Comparisons(ToSoftware(a), ToSoftware(b));
    c.Check(expected == actual, [&] { return Hex(a) + " , " + Hex(b) + " -> " + Hex64(actual) + " instead of " + Hex64(expected); });
  });
  run("from double", [&](Counter& c) {
    const double d = RandomDouble(random);
    const Bits expected = FromX87(static_cast<long double>(d));
    const Bits actual = FromSoftware(SoftwareReal(d));
    c.Check(SameBits(expected, actual), [&] { return Hex64(std::bit_cast<std::uint64_t>(d)) + " -> " + Hex(actual); });
  });
  run("from single", [&](Counter& c) {
    const auto f = std::bit_cast<float>(static_cast<std::uint32_t>(random.Next()));
    const Bits expected = FromX87(static_cast<long double>(f));
    const Bits actual = FromSoftware(SoftwareReal(f));
    c.Check(SameBits(expected, actual), [&] { return Hex64(std::bit_cast<std::uint32_t>(f)) + " -> " + Hex(actual); });
  });
  run("from integer", [&](Counter& c) {
    const std::uint64_t v = random.Next() >> random.Below(64);
    const auto check = [&](auto integer) {
      const Bits expected = FromX87(static_cast<long double>(integer));
      const Bits actual = FromSoftware(SoftwareReal(integer));
      c.Check(SameBits(expected, actual), [&] { return Hex64(v) + " -> " + Hex(actual); });
    };
    switch (random.Below(4)) {
      case 0: check(static_cast<std::int32_t>(v)); break;
      case 1: check(static_cast<std::int64_t>(v)); break;
      case 2: check(-static_cast<std::int64_t>(v >> 1)); break;
      default: check(v); break;
    }
  });
  run("to double", [&](Counter& c) {
    CheckInteger(c, RandomOperand(random), [](auto a) { return DoubleBits(static_cast<double>(a)); });
  });
  run("store double", [&](Counter& c) {
    CheckUnary(c, RandomOperand(random), [](auto a) { return runtime::RoundedToDouble(a); });
  });
  run("to single", [&](Counter& c) {
    CheckInteger(c, RandomOperand(random), [](auto a) { return SingleBits(runtime::NearestSingle(a)); });
  });
  run("round integral", [&](Counter& c) {
    CheckUnary(c, RandomOperand(random), [](auto a) { return runtime::RoundToIntegral(a); });
  });
  run("round to int32", [&](Counter& c) {
    CheckInteger(c, RandomOperand(random),
                 [](auto a) { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(runtime::NearestInt32(a))); });
  });
  run("round to low32", [&](Counter& c) {
    CheckInteger(c, RandomOperand(random), [](auto a) { return std::uint64_t{runtime::NearestLow32(a)}; });
  });

  bool anyDifference = false;
  for (const Counter& counter : counters) anyDifference = anyDifference || counter.differences != 0;
  return anyDifference ? 1 : 0;
}
