#include "runtime/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "runtime/error.h"
#include "runtime/text.h"

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

TEST(NumericTest, TextFromCodeKeepsTheLowByte) {
  EXPECT_EQ(TextFromCode(27), Text("\x1b"));
  EXPECT_EQ(TextFromCode(0x184), Text("\x84"));
  EXPECT_EQ(TextFromCode(0), Text(1, '\0'));
  EXPECT_NE(Text(), Text(" "));
}

TEST(NumericTest, ErrorNumbersArePerThread) {
  ClearError();
  RecordError(ErrorNumber::invalidArgument);
  EXPECT_EQ(CurrentError(), ErrorNumber::invalidArgument);
  EXPECT_EQ(static_cast<int>(ErrorNumber::outOfMemory), 7);
  EXPECT_EQ(static_cast<int>(ErrorNumber::subscriptOutOfRange), 9);
  ErrorNumber seenByOtherThread = ErrorNumber::outOfMemory;
  std::thread([&] { seenByOtherThread = CurrentError(); }).join();
  EXPECT_EQ(seenByOtherThread, ErrorNumber::none);
  ClearError();
  EXPECT_EQ(CurrentError(), ErrorNumber::none);
}

}  // namespace
}  // namespace runtime
