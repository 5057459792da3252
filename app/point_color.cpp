#include "app/point_color.h"

#include <algorithm>
#include <cmath>

#include "app/magnets.h"

namespace app {

namespace {

constexpr std::uint64_t fullBrightness = 255;
constexpr std::uint64_t darkestBrightness = 64;

// The largest r with r * r <= value, exactly: the double's square root is
// only the first guess.
std::uint64_t WholeSquareRoot(std::uint64_t value) {
  auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(value)));
  while (root > 0 && root * root > value) --root;
  while ((root + 1) * (root + 1) <= value) ++root;
  return root;
}

graphics::ColorRef Darkened(graphics::ColorRef color, std::uint32_t brightness) {
  const auto channel = [&](std::uint32_t value) { return static_cast<int>(value * brightness / fullBrightness); };
  return graphics::ComposeRgb(channel(graphics::RedOf(color)), channel(graphics::GreenOf(color)),
                              channel(graphics::BlueOf(color)));
}

}  // namespace

std::uint32_t ShadeBrightness(std::int64_t steps, std::int64_t stepLimit) {
  if (stepLimit <= 1) return fullBrightness;
  constexpr std::uint64_t range = fullBrightness - darkestBrightness;  // 191
  const auto taken = static_cast<std::uint64_t>(std::clamp<std::int64_t>(steps - 1, 0, stepLimit - 1));
  const std::uint64_t darkening = WholeSquareRoot(range * range * taken / static_cast<std::uint64_t>(stepLimit - 1));
  return static_cast<std::uint32_t>(fullBrightness - darkening);
}

graphics::ColorRef PointColor(const TrialResult& result, std::int64_t stepLimit, Shading shading) {
  if (result.caughtBy <= 0 || result.caughtBy > 3) return graphics::dialogFaceColor;
  const graphics::ColorRef color = magnetColors[static_cast<std::size_t>(result.caughtBy)];
  if (shading == Shading::none) return color;
  return Darkened(color, ShadeBrightness(result.steps, stepLimit));
}

}  // namespace app
