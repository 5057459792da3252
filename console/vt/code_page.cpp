#include "console/vt/code_page.h"

#include <array>

namespace console::vt {

namespace {

// The OEM symbols of the control bytes 0x00-0x1F.
constexpr std::array<char32_t, 32> controlGlyphs = {
    U' ', U'☺', U'☻', U'♥', U'♦', U'♣', U'♠', U'•', U'◘', U'○', U'◙', U'♂', U'♀', U'♪', U'♫', U'☼',
    U'►', U'◄', U'↕', U'‼', U'¶', U'§', U'▬', U'↨', U'↑', U'↓', U'→', U'←', U'∟', U'↔', U'▲', U'▼',
};

constexpr char32_t deleteGlyph = U'⌂';  // byte 0x7F

// Bytes 0x80-0xFF.
constexpr std::array<char32_t, 128> upperHalf = {
    U'Ç', U'ü', U'é', U'â', U'ä', U'à', U'å', U'ç', U'ê', U'ë', U'è', U'ï', U'î', U'ì', U'Ä', U'Å',
    U'É', U'æ', U'Æ', U'ô', U'ö', U'ò', U'û', U'ù', U'ÿ', U'Ö', U'Ü', U'ø', U'£', U'Ø', U'×', U'ƒ',
    U'á', U'í', U'ó', U'ú', U'ñ', U'Ñ', U'ª', U'º', U'¿', U'®', U'¬', U'½', U'¼', U'¡', U'«', U'»',
    U'░', U'▒', U'▓', U'│', U'┤', U'Á', U'Â', U'À', U'©', U'╣', U'║', U'╗', U'╝', U'¢', U'¥', U'┐',
    U'└', U'┴', U'┬', U'├', U'─', U'┼', U'ã', U'Ã', U'╚', U'╔', U'╩', U'╦', U'╠', U'═', U'╬', U'¤',
    U'ð', U'Ð', U'Ê', U'Ë', U'È', U'ı', U'Í', U'Î', U'Ï', U'┘', U'┌', U'█', U'▄', U'¦', U'Ì', U'▀',
    U'Ó', U'ß', U'Ô', U'Ò', U'õ', U'Õ', U'µ', U'þ', U'Þ', U'Ú', U'Û', U'Ù', U'ý', U'Ý', U'¯', U'´',
    U'\u00AD', U'±', U'‗', U'¾', U'¶', U'§', U'÷', U'¸', U'°', U'¨', U'·', U'¹', U'³', U'²', U'■', U'\u00A0',
};

}  // namespace

char32_t GlyphOf(std::uint8_t byte) {
  if (byte < 0x20) return controlGlyphs[byte];
  if (byte == 0x7F) return deleteGlyph;
  if (byte < 0x80) return byte;
  return upperHalf[byte - 0x80];
}

std::optional<std::uint8_t> ByteOf(char32_t codePoint) {
  if (codePoint >= 0x20 && codePoint < 0x7F) return static_cast<std::uint8_t>(codePoint);
  if (codePoint < 0xA0) return std::nullopt;  // controls and DEL arrive as bytes
  for (std::size_t i = 0; i < upperHalf.size(); ++i) {
    if (upperHalf[i] == codePoint) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  const auto put = [&out](std::uint32_t bits) { out.push_back(static_cast<char>(bits)); };
  const auto c = static_cast<std::uint32_t>(codePoint);
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

}  // namespace console::vt
