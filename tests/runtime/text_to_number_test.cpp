#include "runtime/text_to_number.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/field_selection.h"
#include "runtime/numeric.h"

namespace runtime {
namespace {

// ---------------------------------------------------------------------------
// An exact reference: big unsigned integers, just enough to scale a whole
// number by a power of ten exactly and round the result to the nearest
// extended value (64-bit significand, ties to even).

class BigUnsigned {
 public:
  explicit BigUnsigned(std::uint64_t value)
      : limbs_{static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)} {
    Trim();
  }

  void Multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
  }

  // Floor division; returns the remainder.
  std::uint32_t Divide(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (auto limb = limbs_.rbegin(); limb != limbs_.rend(); ++limb) {
      const std::uint64_t dividend = (remainder << 32) | *limb;
      *limb = static_cast<std::uint32_t>(dividend / divisor);
      remainder = dividend % divisor;
    }
    Trim();
    return static_cast<std::uint32_t>(remainder);
  }

  void ShiftLeft(int bits) {
    limbs_.insert(limbs_.begin(), static_cast<std::size_t>(bits / 32), 0);
    const int rest = bits % 32;
    if (rest == 0) return;
    std::uint32_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint32_t next = limb >> (32 - rest);
      limb = (limb << rest) | carry;
      carry = next;
    }
    if (carry != 0) limbs_.push_back(carry);
  }

  int BitLength() const {
    if (limbs_.empty()) return 0;
    return 32 * static_cast<int>(limbs_.size() - 1) + std::bit_width(limbs_.back());
  }

  bool Bit(int index) const {
    const auto limb = static_cast<std::size_t>(index / 32);
    return limb < limbs_.size() && ((limbs_[limb] >> (index % 32)) & 1);
  }

  bool AnyBitBelow(int index) const {
    for (int i = 0; i < index; ++i) {
      if (Bit(i)) return true;
    }
    return false;
  }

  // Bits [from, from + 64) as a number.
  std::uint64_t Bits64(int from) const {
    std::uint64_t bits = 0;
    for (int i = 63; i >= 0; --i) bits = (bits << 1) | (Bit(from + i) ? 1 : 0);
    return bits;
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }
  std::vector<std::uint32_t> limbs_;  // least significant first
};

constexpr std::uint32_t billion = 1000000000;

void MultiplyByPowerOfTen(BigUnsigned& value, int n) {
  for (; n >= 9; n -= 9) value.Multiply(billion);
  for (; n > 0; --n) value.Multiply(10);
}

// Divides by 10^n; true when the division was not exact.
bool DivideByPowerOfTen(BigUnsigned& value, int n) {
  bool inexact = false;
  for (; n >= 9; n -= 9) inexact |= value.Divide(billion) != 0;
  for (; n > 0; --n) inexact |= value.Divide(10) != 0;
  return inexact;
}

// significand * 2^exponent: exact in the normal range, which is all the
// reference needs; below it rounded once more, which the bounds allow.
Real ScaledSignificand(std::uint64_t significand, int exponent) {
  const int half = exponent / 2;
  return RealFromSignificand(significand, half) * RealFromSignificand(1, exponent - half);
}

// The extended value nearest to (whole + a fraction that is nonzero when
// `inexact`) * 2^binaryExponent. `whole` must have at least 66 bits when
// `inexact` is set, so that the fraction lies below the rounding bit.
Real RoundToExtended(const BigUnsigned& whole, bool inexact, int binaryExponent) {
  const int length = whole.BitLength();
  if (length <= 64) {
    EXPECT_FALSE(inexact);
    return ScaledSignificand(whole.Bits64(0), binaryExponent);
  }
  int dropped = length - 64;
  std::uint64_t significand = whole.Bits64(dropped);
  const bool roundBit = whole.Bit(dropped - 1);
  const bool stickyBits = inexact || whole.AnyBitBelow(dropped - 1);
  if (roundBit && (stickyBits || (significand & 1))) {
    ++significand;
    if (significand == 0) {  // carried out of the 64 bits
      significand = std::uint64_t{1} << 63;
      ++dropped;
    }
  }
  return ScaledSignificand(significand, binaryExponent + dropped);
}

// The extended value nearest to mantissa * 10^k, computed exactly.
Real NearestExtended(std::uint64_t mantissa, int k) {
  BigUnsigned value(mantissa);
  if (k >= 0) {
    MultiplyByPowerOfTen(value, k);
    return RoundToExtended(value, false, 0);
  }
  // Shift far enough that the quotient keeps at least 66 bits:
  // 10^-k < 2^(4 * -k).
  const int shift = 66 + 4 * -k;
  value.ShiftLeft(shift);
  const bool inexact = DivideByPowerOfTen(value, -k);
  return RoundToExtended(value, inexact, -shift);
}

// The exponent of a normal value's leading bit.
[[maybe_unused]] int BinaryExponent(long double x) { return std::ilogb(x); }
[[maybe_unused]] int BinaryExponent(SoftwareReal x) { return x.ExponentField() - SoftwareReal::exponentBias; }

Real UnitInLastPlace(Real x) { return ScaledSignificand(1, BinaryExponent(x) - 63); }

// The extended value nearest to a decimal literal (digits, a point, an
// exponent), from the exact reference: 0.03_x is what 0.03_x is where long
// double is the x87's format.
Real operator""_x(const char* literal) {
  std::string digits;
  int exponent = 0;
  const char* c = literal;
  for (; *c != '\0' && *c != 'e' && *c != 'E'; ++c) {
    if (*c == '.') {
      exponent = -static_cast<int>(std::strlen(c + 1));
      for (const char* e = c + 1; *e != '\0'; ++e) {
        if (*e == 'e' || *e == 'E') {
          exponent = -static_cast<int>(e - c - 1);
          break;
        }
      }
    } else {
      digits += *c;
    }
  }
  if (*c != '\0') exponent += std::atoi(c + 1);
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++exponent;
  }
  if (digits.empty()) return 0;
  return NearestExtended(std::stoull(digits), exponent);
}

// An extended value as the sum of two doubles, which holds all 64 bits of
// a normal one.
std::string Describe(Real x) {
  const double high = static_cast<double>(x);
  std::ostringstream text;
  text << std::hexfloat << high << " + " << static_cast<double>(x - Real(high));
  return text.str();
}

// Same value and same sign, so that -0 and +0 are told apart.
::testing::AssertionResult SameReal(Real actual, Real expected) {
  if (actual == expected && SignBit(actual) == SignBit(expected)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << Describe(actual) << " instead of " << Describe(expected);
}

constexpr Real twoTo127 = RealFromSignificand(1, 127);

class TextToNumberTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadFloatingPointControl(); }
};

struct ReadCase {
  Text text;
  Real expected;
};

void ExpectValues(const std::vector<ReadCase>& cases) {
  for (const ReadCase& c : cases) {
    EXPECT_TRUE(SameReal(TextToNumber(c.text), c.expected)) << "text \"" << c.text << "\"";
  }
}

// ---------------------------------------------------------------------------
// What the form sees: a typed line, its first field, the value read.

struct FormCase {
  Text line;
  Text field;
  Real value;
};

TEST_F(TextToNumberTest, TypedLinesThroughFieldSelection) {
  // Decimal fractions below are single roundings of exact operands (M / 10^k
  // with k <= 27), so the nearest extended value (_x) is the answer.
  const std::vector<FormCase> cases = {
      {"-50", "-50", -50.0_x},
      {"0.03", "0.03", 0.03_x},
      {"1e3", "1e3", 1000.0_x},
      {" 7x", "7x", 7.0_x},
      {"0,03", "0", 0.0_x},
      {"\"0,03\"", "0,03", 0.0_x},
      {"", "", 0.0_x},
      {"abc", "abc", 0.0_x},
      {"+7", "+7", 7.0_x},
      {"- 7", "- 7", -0.0_x},
      {".5", ".5", 0.5_x},
      {"5.", "5.", 5.0_x},
      {"1.2.3", "1.2.3", 1.2_x},
      {"2D2", "2D2", 200.0_x},
      {"1 000", "1 000", 1.0_x},
      {"-&H10", "-&H10", -0.0_x},
      {"&H10", "&H10", 16.0_x},
      {"&hff", "&hff", 255.0_x},
      {"&B101", "&B101", 5.0_x},
      {"&O17", "&O17", 15.0_x},
      {"&17", "&17", 15.0_x},
      {"&HFFFF", "&HFFFF", -1.0_x},
      {"&H0FFFF", "&H0FFFF", 65535.0_x},
      {"&H8000%", "&H8000%", -32768.0_x},
      {"&H8000&", "&H8000&", 32768.0_x},
      {"&HFFFFFFFF", "&HFFFFFFFF", -1.0_x},
      {"&HFFFFFFFF&&", "&HFFFFFFFF&&", 4294967295.0_x},
      {"&HFFFFFFFFFFFFFFFF", "&HFFFFFFFFFFFFFFFF", -1.0_x},
      {"&HFFFFFFFFFFFFFFFF?", "&HFFFFFFFFFFFFFFFF?", 0.0_x},
      {"&H1G", "&H1G", 1.0_x},
      {"1e5000", "1e5000", twoTo127},
      {"1e-5000", "1e-5000", 0.0_x},
      {"\t12", "\t12", 12.0_x},  // the tab survives selection, then is skipped
  };
  for (const FormCase& c : cases) {
    const Text field = SelectField(c.line, 1);
    EXPECT_EQ(field, c.field) << "line \"" << c.line << "\"";
    EXPECT_TRUE(SameReal(TextToNumber(field), c.value)) << "field \"" << field << "\"";
  }
}

TEST_F(TextToNumberTest, StoredAsDoubles) {
  EXPECT_EQ(static_cast<double>(StoreDouble(TextToNumber("0.03"))), 0.03);
  EXPECT_EQ(static_cast<double>(StoreDouble(TextToNumber("1e5000"))), 1.7014118346046923E+38);
  EXPECT_EQ(static_cast<double>(StoreDouble(TextToNumber("-1e5000"))), -1.7014118346046923E+38);

  const Real negativeZero = StoreDouble(TextToNumber("-0"));
  EXPECT_TRUE(negativeZero == 0);
  EXPECT_TRUE(SignBit(negativeZero));

  // 1e400 exists in extended precision and overflows only in the store.
  const Real large = TextToNumber("1e400");
  EXPECT_FALSE(IsInfinite(large) || IsNaN(large));
  EXPECT_LE(AbsoluteValue(large - NearestExtended(1, 400)), 4 * UnitInLastPlace(large));
  EXPECT_TRUE(StoreDouble(large) == std::numeric_limits<double>::infinity());
}

TEST_F(TextToNumberTest, DigitsAfterTheEighteenthAreCutNotRounded) {
  // The extended value before the double rounding; both are exact integers.
  EXPECT_TRUE(SameReal(TextToNumber("12345678901234567891"), 12345678901234567800.0_x));
  EXPECT_TRUE(SameReal(TextToNumber("1234567890123456789"), 1234567890123456780.0_x));
  EXPECT_TRUE(SameReal(TextToNumber("0.0001234567890123456789"), 0.000123456789012345678_x));
  EXPECT_TRUE(SameReal(TextToNumber("999999999999999999999e-3"), 999999999999999999.0_x));
}

TEST_F(TextToNumberTest, PointPositionAndLeadingZeros) {
  ExpectValues({
      {"000123.4500", 123.45_x},
      {"0.0001", 0.0001_x},
      {"00.00100e2", 0.1_x},
      {".000", 0.0_x},
      {"100", 100.0_x},
      {"1.e5", 100000.0_x},
      {"12.5.7", 12.5_x},
      {"0.5e-1", 0.05_x},
  });
}

TEST_F(TextToNumberTest, Exponents) {
  ExpectValues({
      {"1e", 1.0_x},
      {"1e-", 1.0_x},
      {"1e+", 1.0_x},
      {"1e+2", 100.0_x},
      {"1E-2", 0.01_x},
      {"1d2", 100.0_x},
      {"1D-2", 0.01_x},
      {"1e+-2", 1.0_x},  // one sign only: the second ends the exponent
      {"1e2.5", 100.0_x},
      {"1x2", 1.0_x},
      {"e5", 0.0_x},
      {"-e5", -0.0_x},
      // The magnitude saturates by value; leading zeros do not count.
      {"1e00005", 100000.0_x},
      {"1e99999", twoTo127},
      {"1e9999", twoTo127},
      {"-1e99999", -twoTo127},
      {"1e-99999", 0.0_x},
      {"-1e-99999", -0.0_x},
  });
  EXPECT_TRUE(SameReal(TextToNumber("1e99999"), TextToNumber("1e9999")));
}

TEST_F(TextToNumberTest, SignsAndZeros) {
  ExpectValues({
      {"-0", -0.0_x},
      {"-", -0.0_x},
      {"+", 0.0_x},
      {"-.", -0.0_x},
      {".", 0.0_x},
      {"-0.000", -0.0_x},
      {"--7", -0.0_x},
      {"-+7", -0.0_x},
      {"+-7", 0.0_x},
      {"- 7", -0.0_x},
      {"+&H10", 0.0_x},
      {"0e99999", 0.0_x},   // no significant digit, however large the exponent
      {"-0e99999", -0.0_x},
      {"-.5", -0.5_x},
  });
}

TEST_F(TextToNumberTest, BlanksAndOtherBytes) {
  ExpectValues({
      {" \t\n 12", 12.0_x},
      {"\r12", 0.0_x},  // carriage return is not a blank
      {" \t\n&H10", 16.0_x},
      {"12 34", 12.0_x},
      {"1,5", 1.0_x},
      {"\x80" "5", 0.0_x},
      {"5\xE9" "2", 5.0_x},
      {Text("7\0" "5", 3), 7.0_x},
      {Text("\0" "5", 2), 0.0_x},
  });
}

// How many characters the number takes: what a caller needs to tell a
// number from a number with something after it.
TEST_F(TextToNumberTest, LengthOfTheNumber) {
  const struct {
    Text text;
    std::size_t length;
  } cases[] = {
      {"12", 2},        {" \t12 ", 2},   {"-0", 2},          {"+.5", 3},         {"5.", 2},
      {"1.2.3", 3},     {"1e5", 3},       {"1E+5x", 4},       {"2D-3", 4},        {"1e", 1},
      {"1e+", 1},       {"", 0},          {"-", 0},           {".", 0},           {"abc", 0},
      {"&H1F", 4},      {"&17?", 4},      {"&HFFFF&&", 8},    {"&H1F%%", 5},      {"&B12", 3},
      {"&8", 0},        {"&H", 0},        {"&", 0},           {"&H10000000000000000&", 20},
  };
  for (const auto& c : cases) {
    const NumberReading reading = ReadLeadingNumber(c.text);
    EXPECT_EQ(reading.length, c.length) << "text \"" << c.text << "\"";
    EXPECT_TRUE(SameReal(reading.value, TextToNumber(c.text))) << "text \"" << c.text << "\"";
  }
}

TEST_F(TextToNumberTest, RangeLimits) {
  ExpectValues({
      {"1e4932", twoTo127},      // first digit at 10^4932: Q = 4933
      {"0.1e4933", twoTo127},
      {"10e4931", twoTo127},
      {"1e-4934", 0.0_x},         // Q = -4933
      {"0.001e-4931", 0.0_x},
      {"-1e-4934", -0.0_x},
  });
  const Real justBelow = TextToNumber("9.99e4931");
  EXPECT_FALSE(IsInfinite(justBelow) || IsNaN(justBelow));
  EXPECT_LE(AbsoluteValue(justBelow - NearestExtended(999, 4929)), 8 * UnitInLastPlace(justBelow));
}

TEST_F(TextToNumberTest, TinyValuesWhoseDivisorOverflows) {
  // 10^4940 is beyond the extended range, but the quotient is a normal
  // extended number; it must not collapse to zero.
  const Real tiny = TextToNumber("123456789012345678e-4940");
  EXPECT_GT(tiny, 0);
  EXPECT_LE(AbsoluteValue(tiny - NearestExtended(123456789012345678, -4940)), 8 * UnitInLastPlace(tiny));
  // A subnormal extended value, below 3.4e-4932.
  const Real subnormal = TextToNumber("1e-4933");
  EXPECT_GT(subnormal, 0.99e-4933_x);
  EXPECT_LT(subnormal, 1.01e-4933_x);
  EXPECT_TRUE(SameReal(TextToNumber("-0.1e-4932"), -subnormal));
}

TEST_F(TextToNumberTest, LongDigitRunsCannotOverflowTheCounters) {
  const Text ones(10000, '1');
  EXPECT_TRUE(SameReal(TextToNumber(ones), twoTo127));
  EXPECT_TRUE(SameReal(TextToNumber(Text(40000, '7') + "e-9999"), twoTo127));
  EXPECT_TRUE(SameReal(TextToNumber("0." + Text(9998, '0') + "1"), 0.0_x));
  EXPECT_TRUE(SameReal(TextToNumber("0." + Text(40000, '0') + "1e9999"), 0.0_x));
  EXPECT_TRUE(SameReal(TextToNumber("-." + Text(40000, '0') + "1e9999"), -0.0_x));
  // A point after 4920 digits: the value stays in range.
  const Real large = TextToNumber(Text(4920, '1') + "." + Text(5000, '1'));
  EXPECT_LE(AbsoluteValue(large - NearestExtended(111111111111111111, 4902)), 8 * UnitInLastPlace(large));
}

TEST_F(TextToNumberTest, PowersOfTenAreTheNearestExtendedValues) {
  // 1e(8 * 2^j) is read as 1 times exactly one stored power of ten.
  for (int n = 8; n <= 4096; n *= 2) {
    EXPECT_TRUE(SameReal(TextToNumber("1e" + std::to_string(n)), NearestExtended(1, n))) << "10^" << n;
  }
}

TEST_F(TextToNumberTest, PrefixedNumbers) {
  ExpectValues({
      {"&", 0.0_x},
      {"&H", 0.0_x},
      {"&HG", 0.0_x},
      {"&8", 0.0_x},
      {"&o", 0.0_x},
      {"&Q17", 15.0_x},
      {"&q17", 15.0_x},
      {"&o17", 15.0_x},
      {"&b102", 2.0_x},
      {"&hAbC", 2748.0_x},
      {"&HZ", 0.0_x},
      {"&H 1", 0.0_x},
      {"&H00000000000000000000000001", 1.0_x},  // leading zeros shift out nothing
  });
}

TEST_F(TextToNumberTest, PrefixedNumbersThatOverflow) {
  ExpectValues({
      {"&H10000000000000000", 0.0_x},                 // 65 bits
      {"&B1" + Text(64, '0'), 0.0_x},
      {"&B" + Text(64, '1'), -1.0_x},
      {"&B0" + Text(64, '1'), -1.0_x},
      {"&1777777777777777777777", -1.0_x},             // 2^64 - 1 in octal
      {"&2000000000000000000000", 0.0_x},              // 2^64
      {"&H10000000000000000&&", 0.0_x},
  });
}

TEST_F(TextToNumberTest, PrefixedSignRules) {
  ExpectValues({
      // Unsigned suffix.
      {"&HFFFF?", 65535.0_x},
      {"&HFFFF???", 65535.0_x},
      {"&HFFFF????", 65535.0_x},
      {"&H8000000000000000?", 0.0_x},
      {"&H7FFFFFFFFFFFFFFF??", 9223372036854775807.0_x},
      // Leading zero.
      {"&H080000000", 2147483648.0_x},
      {"&H0FFFFFFFFFFFFFFFF", -1.0_x},
      // 32 bits or more.
      {"&H100000000", 4294967296.0_x},
      {"&H8000000000000000", -9223372036854775808.0_x},
      // Two ampersands.
      {"&H80000000&&", 2147483648.0_x},
      {"&HFFFF&&", 65535.0_x},
      {"&HFFFF&&&", 65535.0_x},
      // 17 to 32 bits: bit 31 is the sign, whatever the suffix.
      {"&H80000000", -2147483648.0_x},
      {"&H80000000&", -2147483648.0_x},
      {"&H80000000%", -2147483648.0_x},
      {"&H7FFFFFFF", 2147483647.0_x},
      {"&H10000", 65536.0_x},
      // Up to 16 bits: bit 15 is the sign unless one ampersand follows.
      {"&HFFFF&", 65535.0_x},
      {"&HFFFF%", -1.0_x},
      {"&H7FFF", 32767.0_x},
      {"&H8000%&", -32768.0_x},
      {"&HFFFF %", -1.0_x},  // a suffix must follow the digits directly
      {"&177777", -1.0_x},
  });
}

// ---------------------------------------------------------------------------
// Random decimal texts against the exact reference.

struct RandomDecimal {
  Text text;
  std::uint64_t mantissa;  // the significant digits as written, at most 18
  int scale;               // the exact value is mantissa * 10^scale
  int algorithmScale;      // the K the conversion multiplies or divides by
  bool negative;
};

// Digits with leading zeros, trailing zeros and a point somewhere, an
// exponent chosen so that K lies in [lowestScale, highestScale].
RandomDecimal MakeRandomDecimal(std::mt19937_64& random, int lowestScale, int highestScale) {
  auto uniform = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  RandomDecimal decimal{};
  const int significant = uniform(1, 18);
  Text digits(static_cast<std::size_t>(uniform(0, 3)), '0');
  for (int i = 0; i < significant; ++i) {
    const int digit = uniform(i == 0 ? 1 : 0, 9);
    digits += static_cast<char>('0' + digit);
    decimal.mantissa = decimal.mantissa * 10 + static_cast<std::uint64_t>(digit);
  }
  // Trailing zeros are significant digits too, so they stay within the 18
  // kept digits and keep M = mantissa * 10^trailing exact.
  const int trailing = uniform(0, 18 - significant);
  digits += Text(static_cast<std::size_t>(trailing), '0');
  const int fractionDigits = uniform(-1, static_cast<int>(digits.size()));  // -1: no point
  if (fractionDigits >= 0) digits.insert(digits.size() - static_cast<std::size_t>(fractionDigits), ".");

  const int algorithmScale = uniform(lowestScale, highestScale);
  const int exponent = algorithmScale + std::max(fractionDigits, 0);
  decimal.algorithmScale = algorithmScale;
  decimal.scale = algorithmScale + trailing;
  decimal.negative = uniform(0, 1) == 1;

  static const char* const letters[] = {"e", "E", "d", "D"};
  static const char* const blanks[] = {"", " ", "\t", "\n "};
  decimal.text = blanks[uniform(0, 3)];
  if (decimal.negative) {
    decimal.text += "-";
  } else if (uniform(0, 1) == 1) {
    decimal.text += "+";
  }
  decimal.text += digits;
  if (exponent != 0 || uniform(0, 1) == 1) {
    decimal.text += letters[uniform(0, 3)];
    if (exponent > 0 && uniform(0, 1) == 1) decimal.text += "+";
    decimal.text += std::to_string(exponent);
  }
  if (uniform(0, 1) == 1) decimal.text += ",junk";
  return decimal;
}

TEST_F(TextToNumberTest, ExactPowersGiveCorrectlyRoundedResults) {
  // For |K| <= 27, 10^|K| is exact in a 64-bit significand, so the reading is
  // one correctly rounded multiplication or division.
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 4000; ++i) {
    const RandomDecimal decimal = MakeRandomDecimal(random, -27, 27);
    const Real magnitude = NearestExtended(decimal.mantissa, decimal.scale);
    const Real expected = decimal.negative ? -magnitude : magnitude;
    ASSERT_TRUE(SameReal(TextToNumber(decimal.text), expected)) << "text \"" << decimal.text << "\"";
  }
}

TEST_F(TextToNumberTest, RoundedPowersStayWithinAFewUnitsInTheLastPlace) {
  // Larger powers are products of rounded constants: up to a dozen roundings
  // of half a unit each.
  std::mt19937_64 random(7);
  for (int i = 0; i < 300; ++i) {
    // K in this range keeps the value normal and below the 2^127 limit.
    const RandomDecimal decimal = MakeRandomDecimal(random, -4910, 4900);
    const Real magnitude = NearestExtended(decimal.mantissa, decimal.scale);
    const Real actual = decimal.negative ? -TextToNumber(decimal.text) : TextToNumber(decimal.text);
    ASSERT_LE(AbsoluteValue(actual - magnitude), 12 * UnitInLastPlace(magnitude)) << "text \"" << decimal.text << "\"";
  }
}

}  // namespace
}  // namespace runtime
