#include "app/view_values.h"

#include <cmath>

#include "app/number_text.h"

namespace app {

std::optional<PendulumValues> ValuesAfterKey(const PendulumValues& values, char32_t character) {
  PendulumValues changed = values;
  const double hundredths = std::round(values.pendulum.friction / frictionStep);
  switch (character) {
    case U'g': changed.g = values.g / valueFactor; break;
    case U'G': changed.g = values.g * valueFactor; break;
    case U'-': changed.m = values.m / valueFactor; break;
    case U'+':
    case U'=': changed.m = values.m * valueFactor; break;
    case U'f':
      if (hundredths <= 0) return std::nullopt;
      changed.pendulum.friction = (hundredths - 1) / 100;
      break;
    case U'F': changed.pendulum.friction = (hundredths + 1) / 100; break;
    default: return std::nullopt;
  }
  // A factor that leaves the range of doubles would end in 0 or infinity.
  if (!(changed.g > 0 && changed.m > 0 && std::isfinite(changed.g) && std::isfinite(changed.m))) return std::nullopt;
  return changed;
}

MovedMagnet WithMagnetAt(const PendulumValues& values, std::size_t index, double x, double y) {
  PendulumValues moved = values;
  moved.pendulum.magnets[index].x = x;
  moved.pendulum.magnets[index].y = y;
  if (std::string mistake = PendulumMistake(moved.pendulum); !mistake.empty()) return {std::nullopt, mistake};
  return {moved, {}};
}

std::string ConfigText(const PendulumValues& values) {
  return "g=" + ShortestText(values.g) + "\nm=" + ShortestText(values.m) + "\nn=" + ShortestText(values.n) +
         "\nmagnets=\"" + MagnetsText(values.pendulum.magnets) + "\"\nheight=" + ShortestText(values.pendulum.height) +
         "\nfriction=" + ShortestText(values.pendulum.friction) +
         "\ncapture=" + ShortestText(values.pendulum.captureRadius) + "\n";
}

}  // namespace app
