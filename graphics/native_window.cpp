#include "graphics/native_window.h"

namespace graphics {

std::string CaptionAsUtf8(const runtime::Text& caption) {
  std::string utf8;
  for (const char byte : caption) {
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x80) {
      utf8 += byte;
    } else {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

}  // namespace graphics
