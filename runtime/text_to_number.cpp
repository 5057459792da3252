#include "runtime/text_to_number.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace runtime {

namespace {

// ---------------------------------------------------------------------------
// Walking through the text

// Peek() gives this past the last byte, so that a NUL byte inside the text is
// an ordinary non-digit and not the end.
constexpr int endOfText = -1;

class Reader {
 public:
  explicit Reader(const Text& text) : text_(text) {}

  int Peek() const {
    if (position_ >= text_.size()) return endOfText;
    return static_cast<unsigned char>(text_[position_]);
  }
  void Advance() { ++position_; }
  std::size_t Position() const { return position_; }
  // Gives back what was consumed since `position`: the bytes turned out to be
  // no part of a number.
  void MoveBackTo(std::size_t position) { position_ = position; }

  // Consumes the next byte if it is `wanted`.
  bool Accept(char wanted) {
    if (Peek() != static_cast<unsigned char>(wanted)) return false;
    Advance();
    return true;
  }

  // Space, tab and line feed; carriage return and other controls are not.
  void SkipBlanks() {
    while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n') Advance();
  }

 private:
  const Text& text_;
  std::size_t position_ = 0;
};

// The value of `byte` as a digit of `radix` (0-9, then A-Z or a-z as 10-35),
// or -1 when it is no digit of that radix.
int DigitValue(int byte, int radix) {
  int value = -1;
  if (byte >= '0' && byte <= '9') value = byte - '0';
  if (byte >= 'A' && byte <= 'Z') value = byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'z') value = byte - 'a' + 10;
  return value < radix ? value : -1;
}

Real WithSign(bool negative, Real magnitude) {
  return negative ? -magnitude : magnitude;
}

// ---------------------------------------------------------------------------
// Powers of ten

// 10^(8 * 2^j) for j = 0..9, each the extended value nearest the exact power
// (the first two are exact). Written as 64-bit significand times a power of
// two so that the compiler cannot round them; a test checks every one against
// the exact integer power.
constexpr std::array<Real, 10> binaryPowersOfTen = {
    RealFromSignificand(0xBEBC200000000000, -37),   // 10^8
    RealFromSignificand(0x8E1BC9BF04000000, -10),   // 10^16
    RealFromSignificand(0x9DC5ADA82B70B59E, 43),    // 10^32
    RealFromSignificand(0xC2781F49FFCFA6D5, 149),   // 10^64
    RealFromSignificand(0x93BA47C980E98CE0, 362),   // 10^128
    RealFromSignificand(0xAA7EEBFB9DF9DE8E, 787),   // 10^256
    RealFromSignificand(0xE319A0AEA60E91C7, 1637),  // 10^512
    RealFromSignificand(0xC976758681750C17, 3338),  // 10^1024
    RealFromSignificand(0x9E8B3B5DC53D5DE5, 6740),  // 10^2048
    RealFromSignificand(0xC46052028A20979B, 13543), // 10^4096
};
constexpr Real tenToThe4096 = binaryPowersOfTen[9];
constexpr int largestBinaryPower = 4096;

constexpr std::array<Real, 8> smallPowersOfTen = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// 10^n as the two factors the conversion multiplies: `large` is 1 or
// 10^4096, `rest` is the exact 10^(n mod 8) times the rounded binary powers
// for the set bits of n div 8, taken from the lowest bit up.
struct PowerOfTenFactors {
  Real large = 1;
  Real rest = 1;
};

// n is at most a few thousand (below 4096 + 8 * 1024, which the ten binary
// powers cover).
PowerOfTenFactors FactorPowerOfTen(int n) {
  PowerOfTenFactors factors;
  if (n > largestBinaryPower) {
    factors.large = tenToThe4096;
    n -= largestBinaryPower;
  }
  factors.rest = smallPowersOfTen[n % 8];
  const int octets = n / 8;
  for (std::size_t j = 0; j < binaryPowersOfTen.size(); ++j) {
    if ((octets >> j) & 1) factors.rest *= binaryPowersOfTen[j];
  }
  return factors;
}

Real MultiplyByPowerOfTen(Real value, int n) {
  const PowerOfTenFactors factors = FactorPowerOfTen(n);
  return value * (factors.large * factors.rest);
}

Real DivideByPowerOfTen(Real value, int n) {
  const PowerOfTenFactors factors = FactorPowerOfTen(n);
  const Real power = factors.large * factors.rest;
  if (!IsInfinite(power)) return value / power;
  // Beyond 10^4932 the divisor itself overflows, while the quotient (down to
  // about 1e-4950) is still representable: divide by the factors one after
  // the other instead of returning zero.
  return value / factors.rest / factors.large;
}

// ---------------------------------------------------------------------------
// Decimal numbers

// Longest significand kept; later digits are cut off, not rounded.
constexpr int keptDigits = 18;
// The digit counter and the point position are 16-bit quantities; they stop
// at their limit instead of wrapping. Any count that large already decides
// the range test (together with an exponent of at most 9999), so stopping
// there changes no result.
constexpr int counterLimit = 32767;
constexpr int exponentLimit = 9999;
// Decimal exponents of the first significant digit (plus one) at which the
// value leaves the extended range.
constexpr int overflowPosition = 4933;
constexpr int underflowPosition = -4933;
// The value given for a decimal magnitude too large for the extended range.
constexpr Real overflowValue = RealFromSignificand(1, 127);

struct DecimalDigits {
  bool anyDigit = false;          // at least one digit, zeros included
  int significantDigits = 0;      // S, from the first non-zero digit on
  std::uint64_t mantissa = 0;     // M, the first 18 significant digits
  int pointPosition = 0;          // P, see ReadMantissa
};

// Digits with at most one decimal point. P is the number of significant
// digits before the point or, when the point comes before the first
// significant digit, minus the number of zeros between the point and it.
DecimalDigits ReadMantissa(Reader& reader) {
  DecimalDigits digits;
  bool pointSeen = false;
  for (;;) {
    const int byte = reader.Peek();
    if (byte == '.' && !pointSeen) {
      pointSeen = true;
      digits.pointPosition = digits.significantDigits;
      reader.Advance();
      continue;
    }
    const int digit = DigitValue(byte, 10);
    if (digit < 0) break;
    reader.Advance();
    digits.anyDigit = true;
    if (digits.significantDigits == 0 && digit == 0) {
      if (pointSeen) digits.pointPosition = std::max(digits.pointPosition - 1, -counterLimit);
      continue;
    }
    digits.significantDigits = std::min(digits.significantDigits + 1, counterLimit);
    if (digits.significantDigits <= keptDigits) digits.mantissa = digits.mantissa * 10 + digit;
  }
  if (!pointSeen) digits.pointPosition = digits.significantDigits;
  return digits;
}

// E, e, D or d, one optional sign, then digits; the magnitude saturates at
// 9999. Without the letter the exponent is 0, and so it is with the letter
// but no digits.
int ReadExponent(Reader& reader) {
  const int letter = reader.Peek();
  if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') return 0;
  const std::size_t letterPosition = reader.Position();
  reader.Advance();
  bool negative = false;
  if (!reader.Accept('+')) negative = reader.Accept('-');
  if (DigitValue(reader.Peek(), 10) < 0) {
    reader.MoveBackTo(letterPosition);
    return 0;
  }
  int magnitude = 0;
  for (int digit = DigitValue(reader.Peek(), 10); digit >= 0; digit = DigitValue(reader.Peek(), 10)) {
    magnitude = std::min(magnitude * 10 + digit, exponentLimit);
    reader.Advance();
  }
  return negative ? -magnitude : magnitude;
}

// M * 10^K, or M / 10^-K, rounded once more by the final product or quotient.
Real ScaleMantissa(const DecimalDigits& digits, int exponent) {
  const int scale = exponent + digits.pointPosition - std::min(digits.significantDigits, keptDigits);
  const Real mantissa = static_cast<Real>(digits.mantissa);  // exact: below 10^18
  if (scale >= 0) return MultiplyByPowerOfTen(mantissa, scale);
  return DivideByPowerOfTen(mantissa, -scale);
}

Real ReadDecimalNumber(Reader& reader) {
  const std::size_t start = reader.Position();
  bool negative = false;
  if (!reader.Accept('+')) negative = reader.Accept('-');
  // A second sign or a space after the sign is no digit, so it falls under
  // "no digits" below and gives a signed zero.
  const DecimalDigits digits = ReadMantissa(reader);
  if (!digits.anyDigit) {
    reader.MoveBackTo(start);
    return WithSign(negative, 0);
  }
  const int exponent = ReadExponent(reader);
  if (digits.significantDigits == 0) return WithSign(negative, 0);

  // The decimal exponent of the first significant digit, plus one.
  const int leadingPosition = digits.pointPosition + exponent;
  if (leadingPosition >= overflowPosition) return WithSign(negative, overflowValue);
  if (leadingPosition <= underflowPosition) return WithSign(negative, 0);
  return WithSign(negative, ScaleMantissa(digits, exponent));
}

// ---------------------------------------------------------------------------
// Prefixed whole numbers

enum class TypeSuffix { none, percent, ampersand, doubleAmpersand, questionMark };

// & then B or b (binary), H or h (hex), O, o, Q or q (octal); anything else
// is not consumed and means octal.
int ReadRadix(Reader& reader) {
  reader.Advance();  // the ampersand
  switch (reader.Peek()) {
    case 'B': case 'b': reader.Advance(); return 2;
    case 'H': case 'h': reader.Advance(); return 16;
    case 'O': case 'o': case 'Q': case 'q': reader.Advance(); return 8;
    default: return 8;
  }
}

int BitsPerDigit(int radix) {
  if (radix == 2) return 1;
  if (radix == 8) return 3;
  return 4;
}

// %, & or &&, or one to three question marks.
TypeSuffix ReadTypeSuffix(Reader& reader) {
  if (reader.Accept('%')) return TypeSuffix::percent;
  if (reader.Accept('&')) return reader.Accept('&') ? TypeSuffix::doubleAmpersand : TypeSuffix::ampersand;
  if (reader.Accept('?')) {
    if (reader.Accept('?')) reader.Accept('?');
    return TypeSuffix::questionMark;
  }
  return TypeSuffix::none;
}

// How the digits' bits read as a signed 64-bit value: short numbers without
// a leading zero take bit 15 or bit 31 as their sign, unless a suffix or the
// size says otherwise. The first rule that applies decides.
std::int64_t SignedValue(std::uint64_t bits, bool leadingZero, TypeSuffix suffix) {
  constexpr std::uint64_t bit63 = std::uint64_t{1} << 63;
  constexpr std::uint64_t bit31 = std::uint64_t{1} << 31;
  constexpr std::uint64_t bit15 = std::uint64_t{1} << 15;
  constexpr std::int64_t twoTo32 = std::int64_t{1} << 32;
  constexpr std::int64_t twoTo16 = std::int64_t{1} << 16;
  const auto value = static_cast<std::int64_t>(bits);  // two's complement

  if (suffix == TypeSuffix::questionMark) return (bits & bit63) ? 0 : value;
  if (leadingZero) return value;
  if (bits >= (std::uint64_t{1} << 32)) return value;
  if (suffix == TypeSuffix::doubleAmpersand) return value;
  if (bits > 0xFFFF) return (bits & bit31) ? value - twoTo32 : value;
  if (suffix == TypeSuffix::ampersand) return value;
  return (bits & bit15) ? value - twoTo16 : value;
}

Real ReadPrefixedNumber(Reader& reader) {
  const std::size_t start = reader.Position();
  const int radix = ReadRadix(reader);
  const int shift = BitsPerDigit(radix);
  int digit = DigitValue(reader.Peek(), radix);
  if (digit < 0) {
    reader.MoveBackTo(start);
    return 0;
  }
  const bool leadingZero = digit == 0;
  std::uint64_t bits = 0;
  bool overflow = false;
  for (; digit >= 0; digit = DigitValue(reader.Peek(), radix)) {
    // A set bit about to be shifted out of the 64 bits makes the number zero;
    // the digits after it still belong to the number.
    overflow = overflow || (bits >> (64 - shift)) != 0;
    bits = (bits << shift) | static_cast<std::uint64_t>(digit);
    reader.Advance();
  }
  const TypeSuffix suffix = ReadTypeSuffix(reader);
  if (overflow) return 0;
  return static_cast<Real>(SignedValue(bits, leadingZero, suffix));  // exact
}

}  // namespace

NumberReading ReadLeadingNumber(const Text& text) {
  Reader reader(text);
  reader.SkipBlanks();
  const std::size_t start = reader.Position();
  NumberReading reading;
  reading.value = reader.Peek() == '&' ? ReadPrefixedNumber(reader) : ReadDecimalNumber(reader);
  reading.length = reader.Position() - start;
  return reading;
}

Real TextToNumber(const Text& text) { return ReadLeadingNumber(text).value; }

}  // namespace runtime
