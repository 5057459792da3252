#include "app/form.h"

#include <gtest/gtest.h>

#include <cmath>

#include "runtime/field_selection.h"

namespace app {
namespace {

// Types one line per field, as the form reads it: the first comma-separated
// field, kept as text or read as a number.
SimulationParameters Fill(const std::array<const char*, 6>& lines) {
  FormEntries entries;
  for (std::size_t i = 0; i < 6; ++i) {
    KeepField(entries, FormFields()[i], runtime::SelectField(lines[i], 1));
  }
  return ApplyDefaults(entries);
}

TEST(FormTest, FieldsStandAtTheirRowsWithTwentyOneByteLabels) {
  const int rows[] = {4, 5, 6, 7, 9, 10};
  const char* defaults[] = {"-50", "50", "5", "400", "0.03", "2000"};
  for (std::size_t i = 0; i < 6; ++i) {
    const FormField& field = FormFields()[i];
    EXPECT_EQ(field.row, rows[i]);
    EXPECT_EQ(field.defaultText, defaults[i]);
    EXPECT_EQ(field.label.size(), 21u) << i;
    EXPECT_EQ(labelColumn + 21, entryColumn);
  }
  EXPECT_EQ(FormFields()[3].label, "Magnetst\x84rke      m: ");
  EXPECT_EQ(FormFields()[4].label, "Verz\x94gerung       v: ");
}

TEST(FormTest, AllEmptyGivesTheDefaults) {
  const SimulationParameters p = Fill({"", "", "", "", "", ""});
  EXPECT_EQ(p.x, -50);
  EXPECT_EQ(p.y, 50);
  EXPECT_EQ(p.g, 5);
  EXPECT_EQ(p.m, 400);
  EXPECT_EQ(p.v, 0.0299999993294477462768554688);
  EXPECT_EQ(p.n, 2000);
  EXPECT_EQ(CheckRanges(p), Validity::valid);
}

TEST(FormTest, BlanksOnlyCountAsEmpty) {
  const SimulationParameters p = Fill({"   ", " ", "  ", "    ", " ", " "});
  EXPECT_EQ(p.x, -50);
  EXPECT_EQ(p.y, 50);
  EXPECT_EQ(p.m, 400);
}

TEST(FormTest, ZeroTypedForXYStaysButForGVNTakesTheDefault) {
  const SimulationParameters p = Fill({"0", "0", "0", "7", "0", "0"});
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  EXPECT_EQ(p.g, 5);
  EXPECT_EQ(p.m, 7);
  EXPECT_EQ(p.v, double{0.03f});
  EXPECT_EQ(p.n, 2000);
  EXPECT_EQ(CheckRanges(p), Validity::valid);
}

TEST(FormTest, TextWithoutANumber) {
  const SimulationParameters p = Fill({"abc", "abc", "abc", "", "abc", "abc"});
  EXPECT_EQ(p.x, 0);  // a valid start coordinate
  EXPECT_EQ(p.y, 0);
  EXPECT_EQ(p.g, 5);
  EXPECT_EQ(p.v, double{0.03f});
  EXPECT_EQ(p.n, 2000);
  EXPECT_EQ(Fill({"", "", "", "abc", "", ""}).m, 0);  // and then fails its check
}

TEST(FormTest, CommaEndsTheField) {
  EXPECT_EQ(Fill({"1,5", "", "", "", "", ""}).x, 1);
  EXPECT_EQ(Fill({"", "", "", "", "0,03", ""}).v, double{0.03f});
}

struct RangeCase {
  std::array<const char*, 6> lines;
  Validity expected;
  friend void PrintTo(const RangeCase& c, std::ostream* out) {
    for (const char* line : c.lines) *out << '[' << line << ']';
  }
};

class FormRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(FormRangeTest, ChecksInOrder) {
  EXPECT_EQ(CheckRanges(Fill(GetParam().lines)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, FormRangeTest,
    ::testing::Values(RangeCase{{"100", "", "", "", "", ""}, Validity::invalid},
                      RangeCase{{"-100", "", "", "", "", ""}, Validity::invalid},
                      RangeCase{{"", "100", "", "", "", ""}, Validity::invalid},
                      RangeCase{{"", "-100", "", "", "", ""}, Validity::invalid},
                      RangeCase{{"99.99", "-99.99", "", "", "", ""}, Validity::valid},
                      RangeCase{{"-99.99", "99.99", "", "", "", ""}, Validity::valid},
                      RangeCase{{"", "", "-1", "", "", ""}, Validity::invalid},
                      RangeCase{{"", "", "", "0", "", ""}, Validity::invalid},
                      RangeCase{{"", "", "", "-400", "", ""}, Validity::invalid},
                      RangeCase{{"", "", "", "", "-0.01", ""}, Validity::invalid},
                      RangeCase{{"", "", "", "", "", "-5"}, Validity::valid},
                      RangeCase{{"1e400", "", "", "", "", ""}, Validity::invalid},
                      RangeCase{{"", "", "1e400", "1e400", "1e400", "1e400"}, Validity::valid}));

TEST(FormTest, NaNFailsEveryCheck) {
  SimulationParameters p{-50, 50, 5, 400, double{0.03f}, 2000};
  p.x = std::nan("");
  EXPECT_EQ(CheckRanges(p), Validity::invalid);
  p = {-50, 50, 5, 400, std::nan(""), 2000};
  EXPECT_EQ(CheckRanges(p), Validity::invalid);
}

}  // namespace
}  // namespace app
