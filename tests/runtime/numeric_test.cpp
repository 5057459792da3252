#include "runtime/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "runtime/error.h"
#include "runtime/text.h"

namespace runtime {
namespace {

constexpr Real infinity = std::numeric_limits<Real>::infinity();

TEST(NumericTest, SquareRootLeavesNegativesAndNaNAlone) {
  EXPECT_EQ(SquareRoot(-4), -4);
  EXPECT_TRUE(std::isnan(SquareRoot(std::numeric_limits<Real>::quiet_NaN())));
  EXPECT_EQ(SquareRoot(-infinity), -infinity);
  EXPECT_EQ(SquareRoot(0), 0);
  EXPECT_TRUE(std::signbit(SquareRoot(-0.0L)));  // -0 is not below zero
  EXPECT_EQ(SquareRoot(infinity), infinity);
  // The extended root of 2, which rounds to the familiar double when stored.
  EXPECT_EQ(SquareRoot(2), 0x1.6a09e667f3bcc908p+0L);
  EXPECT_EQ(StoreDouble(SquareRoot(2)), 1.4142135623730951);
}

TEST(NumericTest, MaxRealReturnsTheSecondOfEqualValues) {
  EXPECT_EQ(MaxReal(-3, 0), 0);
  EXPECT_EQ(MaxReal(3, 0), 3);
  EXPECT_FALSE(std::signbit(MaxReal(-0.0L, 0.0L)));
  EXPECT_TRUE(std::signbit(MaxReal(0.0L, -0.0L)));
  EXPECT_EQ(MaxReal(5, std::numeric_limits<Real>::quiet_NaN()), 5);
}

TEST(NumericTest, ToSingleRoundsToNearestEven) {
  EXPECT_EQ(ToSingle(0.1L), 0.1f);
  EXPECT_NE(static_cast<double>(ToSingle(0.1L)), 0.1);
  EXPECT_EQ(ToSingle(1e39L), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToSingle(-1e39L), -std::numeric_limits<float>::infinity());
  // Just below half an ulp above the largest single still rounds down.
  EXPECT_EQ(ToSingle(0x1p128L - 0x1p103L - 0x1p90L), std::numeric_limits<float>::max());
  EXPECT_EQ(ToSingle(0x1p128L - 0x1p103L), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToSingle(1e-50L), 0.0f);
  EXPECT_EQ(ToSingle(1 + 0x1p-24L), 1.0f);  // a tie goes to the even neighbour
}

TEST(NumericTest, RoundingIsHalfToEvenNeverTruncation) {
  struct Case {
    Real value;
    std::int32_t expected;
  } cases[] = {{0.5L, 0},  {1.5L, 2},   {2.5L, 2},   {3.5L, 4},          {-0.5L, 0},
               {-2.5L, -2}, {-2.6L, -3}, {2.4999L, 2}, {2147483647.0L, INT32_MAX},
               {2147483647.5L, INT32_MIN}, {-2147483648.0L, INT32_MIN}, {1e20L, INT32_MIN},
               {infinity, INT32_MIN}};
  for (const Case& c : cases) EXPECT_EQ(RoundToInt32(c.value), c.expected) << double(c.value);
  EXPECT_EQ(RoundToInt32(std::numeric_limits<Real>::quiet_NaN()), INT32_MIN);
}

TEST(NumericTest, LowHalfOfTheSixtyFourBitRounding) {
  EXPECT_EQ(RoundToLow32(6.0L), 6u);
  EXPECT_EQ(RoundToLow32(0.2L), 0u);
  EXPECT_EQ(RoundToLow32(0x1p32L + 5), 5u);  // rounds first, then keeps the low half
  EXPECT_EQ(RoundToLow32(-1), 0xFFFFFFFFu);
  EXPECT_EQ(RoundToLow32(1e30L), 0u);  // integer-indefinite
}

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
