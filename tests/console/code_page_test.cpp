#include "console/vt/code_page.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace console::vt {
namespace {

// The C library's own table of code page 850, as a second opinion.
std::string LibraryUtf8Of(std::uint8_t byte) {
  iconv_t converter = iconv_open("UTF-8", "CP850");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inPointer = in;
  char* outPointer = out;
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof out;
  iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
  iconv_close(converter);
  return std::string(out, sizeof out - outLeft);
}

std::string Utf8Of(char32_t codePoint) {
  std::string out;
  AppendUtf8(out, codePoint);
  return out;
}

TEST(CodePage, PrintableBytesMatchTheLibrarysTable) {
  for (int byte = 0x20; byte <= 0xFF; ++byte) {
    if (byte == 0x7F) continue;  // shown as the OEM house glyph, not DEL
    EXPECT_EQ(Utf8Of(GlyphOf(static_cast<std::uint8_t>(byte))),
              LibraryUtf8Of(static_cast<std::uint8_t>(byte)))
        << "byte " << byte;
  }
}

TEST(CodePage, ControlBytesShowTheOemSymbols) {
  EXPECT_EQ(GlyphOf(0x00), U' ');
  EXPECT_EQ(GlyphOf(0x01), U'☺');
  EXPECT_EQ(GlyphOf(0x07), U'•');
  EXPECT_EQ(GlyphOf(0x0A), U'◙');
  EXPECT_EQ(GlyphOf(0x0D), U'♪');
  EXPECT_EQ(GlyphOf(0x1B), U'←');
  EXPECT_EQ(GlyphOf(0x1F), U'▼');
  EXPECT_EQ(GlyphOf(0x7F), U'⌂');
}

TEST(CodePage, EveryGlyphReadsBackAsItsByte) {
  for (int byte = 0x20; byte <= 0xFF; ++byte) {
    if (byte == 0x7F) continue;
    EXPECT_EQ(ByteOf(GlyphOf(static_cast<std::uint8_t>(byte))), byte) << "byte " << byte;
  }
  EXPECT_EQ(ByteOf(U'ä'), 0x84);
  EXPECT_EQ(ByteOf(U'ö'), 0x94);
  EXPECT_EQ(ByteOf(U'€'), std::nullopt);
  EXPECT_EQ(ByteOf(U'\r'), std::nullopt);
}

TEST(CodePage, Utf8OfEachLength) {
  EXPECT_EQ(Utf8Of(U'A'), "A");
  EXPECT_EQ(Utf8Of(U'ä'), "\xC3\xA4");
  EXPECT_EQ(Utf8Of(U'═'), "\xE2\x95\x90");
  EXPECT_EQ(Utf8Of(U'\U0001F600'), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace console::vt
