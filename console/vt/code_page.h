// Code page 850, the console's OEM code page, against Unicode. Every byte
// has a glyph: 0x00-0x1F and 0x7F show the classic OEM symbols (0x00 a
// blank), 0x20-0x7E are ASCII, 0x80-0xFF the code page's letters and
// box-drawing characters ("ä" is 0x84, "ö" 0x94).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace console::vt {

// The Unicode code point shown for `byte`.
char32_t GlyphOf(std::uint8_t byte);

// The byte a typed code point stands for: ASCII as is, the code page's
// upper half by table; none for code points the code page lacks (and for
// controls, which arrive as bytes of their own).
std::optional<std::uint8_t> ByteOf(char32_t codePoint);

// Appends `codePoint` to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace console::vt
