#include "runtime/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "runtime/error.h"
#include "runtime/text.h"
#include "runtime/wide_unsigned.h"

namespace runtime {
namespace {

constexpr Real infinity = Real(std::numeric_limits<double>::infinity());
const Real notANumber = Real(std::numeric_limits<double>::quiet_NaN());

TEST(NumericTest, SquareRootLeavesNegativesAndNaNAlone) {
  EXPECT_EQ(SquareRoot(-4), -4);
  EXPECT_TRUE(IsNaN(SquareRoot(notANumber)));
  EXPECT_EQ(SquareRoot(-infinity), -infinity);
  EXPECT_EQ(SquareRoot(0), 0);
  EXPECT_TRUE(SignBit(SquareRoot(-Real(0))));  // -0 is not below zero
  EXPECT_EQ(SquareRoot(infinity), infinity);
  // The extended root of 2, which rounds to the familiar double when stored.
  EXPECT_EQ(SquareRoot(2), RealFromSignificand(0xB504F333F9DE6484, -63));
  EXPECT_EQ(StoreDouble(SquareRoot(2)), 1.4142135623730951);
}

TEST(NumericTest, MaxRealReturnsTheSecondOfEqualValues) {
  EXPECT_EQ(MaxReal(-3, 0), 0);
  EXPECT_EQ(MaxReal(3, 0), 3);
  EXPECT_FALSE(SignBit(MaxReal(-Real(0), 0)));
  EXPECT_TRUE(SignBit(MaxReal(0, -Real(0))));
  EXPECT_EQ(MaxReal(5, notANumber), 5);
}

TEST(NumericTest, ToSingleRoundsToNearestEven) {
  const Real extendedTenth = RealFromSignificand(0xCCCCCCCCCCCCCCCD, -67);  // nearest to 0.1
  EXPECT_EQ(ToSingle(extendedTenth), 0.1f);
  EXPECT_NE(static_cast<double>(ToSingle(extendedTenth)), 0.1);
  EXPECT_EQ(ToSingle(1e39), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToSingle(-1e39), -std::numeric_limits<float>::infinity());
  // Just below half an ulp above the largest single still rounds down.
  EXPECT_EQ(ToSingle(Real(0x1p128) - 0x1p103 - 0x1p90), std::numeric_limits<float>::max());
  EXPECT_EQ(ToSingle(Real(0x1p128) - 0x1p103), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToSingle(1e-50), 0.0f);
  EXPECT_EQ(ToSingle(Real(1) + 0x1p-24), 1.0f);  // a tie goes to the even neighbour
}

TEST(NumericTest, RoundingIsHalfToEvenNeverTruncation) {
  struct Case {
    Real value;
    std::int32_t expected;
  } cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},   {3.5, 4},          {-0.5, 0},
               {-2.5, -2}, {-2.6, -3}, {2.4999, 2}, {2147483647.0, INT32_MAX},
               {2147483647.5, INT32_MIN}, {-2147483648.0, INT32_MIN}, {1e20, INT32_MIN},
               {infinity, INT32_MIN}};
  for (const Case& c : cases) EXPECT_EQ(RoundToInt32(c.value), c.expected) << static_cast<double>(c.value);
  EXPECT_EQ(RoundToInt32(notANumber), INT32_MIN);
}

TEST(NumericTest, LowHalfOfTheSixtyFourBitRounding) {
  EXPECT_EQ(RoundToLow32(6), 6u);
  EXPECT_EQ(RoundToLow32(0.2), 0u);
  EXPECT_EQ(RoundToLow32(Real(0x1p32) + 5), 5u);  // rounds first, then keeps the low half
  EXPECT_EQ(RoundToLow32(-1), 0xFFFFFFFFu);
  EXPECT_EQ(RoundToLow32(1e30), 0u);  // integer-indefinite
}

// Hard cases of the software extended type, each checkable by hand (the
// exactness test compares it with the x87 on millions more): ties to even,
// denormal results rounded once, signed zeros, invalid operations.
TEST(NumericTest, SoftwareRealRoundsLikeTheX87) {
  using R = SoftwareReal;
  const R one = 1;
  const R ulp = R::FromSignificand(1, -63);              // of 1
  const R smallestNormal = R::FromSignificand(1, -16382);
  const R smallestDenormal = R::FromBits(0, 1);          // 2^-16445
  const R largest = R::FromBits(0x7FFE, ~std::uint64_t{0});
  const R infinity = R(std::numeric_limits<double>::infinity());
  struct Case {
    const char* what;
    R actual;
    R expected;
  } cases[] = {
      {"1 + ulp/2 ties to the even 1", one + ulp / 2, one},
      {"(1 + ulp) + ulp/2 ties up to the even 1 + 2ulp", (one + ulp) + ulp / 2, one + 2 * ulp},
      {"1 - ulp/4 ties to the even 1", one - ulp / 4, one},
      {"1 - (ulp/4 + tiny) rounds down", one - (ulp / 4 + R::FromSignificand(1, -100)), one - ulp / 2},
      {"1/3", one / 3, R::FromSignificand(0xAAAAAAAAAAAAAAAB, -65)},
      {"2/3", R(2) / 3, R::FromSignificand(0xAAAAAAAAAAAAAAAB, -64)},
      {"(1 + ulp)^2 drops the ulp^2", (one + ulp) * (one + ulp), one + 2 * ulp},
      {"largest * 2 overflows", largest * 2, infinity},
      {"smallest normal / 2 is an exact denormal", smallestNormal / 2, R::FromBits(0, std::uint64_t{1} << 62)},
      {"smallest denormal / 2 ties to 0", smallestDenormal / 2, R(0)},
      {"3 smallest denormals / 2 tie to 2", smallestDenormal * 3 / 2, smallestDenormal * 2},
      {"smallest normal - denormal stays exact",
       smallestNormal - smallestDenormal, R::FromBits(0, ~std::uint64_t{0} >> 1)},
      {"x - x is +0", R(-5) - R(-5), R(0)},
      {"-0 + -0 is -0", -R(0) + -R(0), -R(0)},
      {"-0 * 5 is -0", -R(0) * 5, -R(0)},
      {"sqrt(-0) is -0", RoundedSquareRoot(-R(0)), -R(0)},
      {"sqrt(2^64 - 1) just below 2^32", RoundedSquareRoot(R(~std::uint64_t{0})),
       R::FromSignificand(0xFFFFFFFFFFFFFFFF, -32)},
      {"double store ties to even", RoundedToDouble(one + R::FromSignificand(1, -53)), one},
      {"double store rounds up past the tie",
       RoundedToDouble(one + R::FromSignificand(1, -53) + ulp), one + R::FromSignificand(1, -52)},
      {"double store of a double denormal's half tie", RoundedToDouble(R::FromSignificand(1, -1075)), R(0)},
      {"double store overflows", RoundedToDouble(largest), infinity},
      {"round to integral: 2.5 to 2", RoundToIntegral(R(2.5)), R(2)},
      {"round to integral: -0.5 to -0", RoundToIntegral(R(-0.5)), -R(0)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.actual.SignAndExponent(), c.expected.SignAndExponent()) << c.what;
    EXPECT_EQ(c.actual.Significand(), c.expected.Significand()) << c.what;
  }
  for (const R invalid : {infinity - infinity, infinity * 0, R(0) / 0, infinity / infinity,
                          RoundedSquareRoot(R(-1))}) {
    EXPECT_TRUE(IsNaN(invalid));
    EXPECT_FALSE(invalid == invalid);
    EXPECT_FALSE(invalid < 1 || invalid >= 1);
  }
  EXPECT_TRUE(-R(0) == R(0));
  EXPECT_EQ(static_cast<float>(R(0x1p-150)), 0.0f);  // half the smallest single: to even
  EXPECT_EQ(static_cast<float>(R(0x1.8p-149)), 0x1p-148f);
}

// The product a 32-bit target makes (the browser build's), against the
// compiler's 128-bit one: carries out of every column.
#if defined(__SIZEOF_INT128__)
TEST(NumericTest, ProductInDigitsIsTheFullProduct) {
  constexpr std::uint64_t ones = ~std::uint64_t{0};
  const std::uint64_t factors[] = {0, 1, 0xFFFFFFFF, 0x100000000, ones, ones - 1, 0x8000000000000000,
                                   0xFFFFFFFF00000000, 0x00000000FFFFFFFF, 0x9E3779B97F4A7C15};
  for (const std::uint64_t a : factors) {
    for (const std::uint64_t b : factors) {
      const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
      const WideUnsigned inDigits = FullProductInDigits(a, b);
      EXPECT_EQ(inDigits.high, static_cast<std::uint64_t>(product >> 64)) << a << " * " << b;
      EXPECT_EQ(inDigits.low, static_cast<std::uint64_t>(product)) << a << " * " << b;
    }
  }
}
#endif

TEST(NumericTest, TextFromCodeKeepsTheLowByte) {
  EXPECT_EQ(TextFromCode(27), Text("\x1b"));
  EXPECT_EQ(TextFromCode(0x184), Text("\x84"));
  EXPECT_EQ(TextFromCode(0), Text(1, '\0'));
}

TEST(NumericTest, ErrorNumbersArePerThread) {
  ClearError();
  RecordError(ErrorNumber::invalidArgument);
  EXPECT_EQ(CurrentError(), ErrorNumber::invalidArgument);
  ErrorNumber seenByOtherThread = ErrorNumber::outOfMemory;
  std::thread([&] { seenByOtherThread = CurrentError(); }).join();
  EXPECT_EQ(seenByOtherThread, ErrorNumber::none);
  ClearError();
  EXPECT_EQ(CurrentError(), ErrorNumber::none);
}

}  // namespace
}  // namespace runtime
