#include "graphics/color.h"

#include <algorithm>

namespace graphics {

ColorRef ComposeRgb(int red, int green, int blue) {
  const auto component = [](int value) {
    return static_cast<ColorRef>(std::clamp(value, 0, 255));
  };
  return component(red) + component(green) * 256 + component(blue) * 65536;
}

}  // namespace graphics
