#include "runtime/field_selection.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

namespace runtime {
namespace {

struct FieldCase {
  Text line;
  int n;
  Text expected;
};

// Prints a text with its bytes visible, so that a failure shows tabs and
// spaces.
std::string Shown(const Text& text) {
  std::string shown = "\"";
  for (const char c : text) {
    if (c == '\t') {
      shown += "\\t";
    } else if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown + "\"";
}

void ExpectFields(const std::initializer_list<FieldCase>& cases) {
  for (const FieldCase& c : cases) {
    EXPECT_EQ(SelectField(c.line, c.n), c.expected) << "line " << Shown(c.line) << ", field " << c.n;
  }
}

TEST(SelectFieldTest, FirstFieldAsTheFormTakesIt) {
  ExpectFields({
      {"12.5 , 7", 1, "12.5"},
      {"1,5", 1, "1"},
      {"\"1,5\"", 1, "1,5"},
      {"0,03", 1, "0"},
      {"-50", 1, "-50"},
      {" 7x", 1, "7x"},
      {"1 000", 1, "1 000"},  // inner spaces stay
      {"- 7", 1, "- 7"},
      {"", 1, ""},
      {"    ", 1, ""},
      {",5", 1, ""},          // a field that starts with a comma is empty
      {"  ,5", 1, ""},
  });
}

TEST(SelectFieldTest, QuotedFieldsKeepSpacesAndIgnoreWhatFollows) {
  ExpectFields({
      {"  \" a b \" junk", 1, " a b "},
      {"\"abc", 1, "abc"},     // no closing quote: up to the end
      {"\"\"", 1, ""},
      {"\"", 1, ""},
      {"\"x\"y,z", 1, "x"},
      {"a\"b,c", 1, "a\"b"},   // a quote inside a field is an ordinary byte
  });
}

TEST(SelectFieldTest, OnlySpacesAreSkippedNotTabs) {
  ExpectFields({
      {"\t12", 1, "\t12"},
      {" \t 12 ", 1, "\t 12"},
      {"12\t ,", 1, "12\t"},
      {"\t", 1, "\t"},
  });
}

TEST(SelectFieldTest, LaterFields) {
  ExpectFields({
      {"12.5 , 7", 2, "7"},
      {"1,2,3", 2, "2"},
      {"1,2,3", 3, "3"},
      {"1,2,3", 4, ""},
      {",5", 2, "5"},
      {"a,,c", 2, ""},
      {"a,,c", 3, "c"},
      {"a,", 2, ""},
      {"a, ", 2, ""},
      {"a\"b,c", 2, "c"},
      // A skipped quoted field runs to its closing quote, then to the comma.
      {"\"x,y\",z", 2, "z"},
      {"\"x,y\" junk, z", 2, "z"},
      {"a, \"b,c\" ,d", 2, "b,c"},
      {"a, \"b,c\" ,d", 3, "d"},
      {"\"x", 2, ""},           // the text ends inside the skipped quotes
      {"\"x\" y", 2, ""},       // ... or before the next comma
  });
}

TEST(SelectFieldTest, FieldNumbersOutsideTheLine) {
  ExpectFields({
      {"1,2", INT_MAX, ""},
      {"1,2", 0, ""},
      {"1,2", -1, ""},
  });
}

TEST(SelectFieldTest, EveryByteValueIsOrdinary) {
  const Text withNul("a\0b,c", 5);
  EXPECT_EQ(SelectField(withNul, 1), Text("a\0b", 3));
  EXPECT_EQ(SelectField(withNul, 2), "c");
  EXPECT_EQ(SelectField("\x84\x94\xFF,x", 1), "\x84\x94\xFF");
}

TEST(SelectFieldTest, EmptyFieldEqualsTheEmptyTextButNotASpace) {
  EXPECT_EQ(SelectField("   ", 1), Text());
  EXPECT_NE(SelectField("   ", 1), Text(" "));
}

TEST(SelectFieldTest, LongLineOfManyFields) {
  Text line;
  for (int i = 0; i < 2500; ++i) line += std::to_string(i % 10) + " ,";
  EXPECT_EQ(SelectField(line, 1), "0");
  EXPECT_EQ(SelectField(line, 2500), "9");
  EXPECT_EQ(SelectField(line, 2501), "");
}

}  // namespace
}  // namespace runtime
