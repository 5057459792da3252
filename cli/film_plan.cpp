#include "cli/film_plan.h"

#include <algorithm>
#include <cmath>

#include "cli/number_reading.h"

namespace cli {

namespace {

// How far frame k is from the first frame in the width's own terms: the
// weight of the centre's move.
double WidthOf(const FilmPlan& plan, std::int32_t frame) {
  const std::int32_t last = plan.frameCount - 1;
  if (frame == 0) return plan.from.width;
  if (frame == last) return plan.to.width;
  const double ratio = plan.to.width / plan.from.width;
  return plan.from.width * std::pow(ratio, static_cast<double>(frame) / last);
}

double CentreWeight(const FilmPlan& plan, std::int32_t frame, double width) {
  if (plan.to.width == plan.from.width) {
    return plan.frameCount == 1 ? 0 : static_cast<double>(frame) / (plan.frameCount - 1);
  }
  return (width - plan.from.width) / (plan.to.width - plan.from.width);
}

}  // namespace

app::MapRegion FrameRegion(const FilmPlan& plan, std::int32_t frame) {
  const double width = WidthOf(plan, frame);
  const double weight = CentreWeight(plan, frame, width);
  const double x = plan.from.x + (plan.to.x - plan.from.x) * weight;
  const double y = plan.from.y + (plan.to.y - plan.from.y) * weight;
  const double height = width * (plan.pixelsHigh - 1) / (plan.pixelsWide - 1);
  return {x - width / 2, x + width / 2, y - height / 2, y + height / 2};
}

std::optional<std::int32_t> FirstDegenerateFrame(const FilmPlan& plan) {
  for (std::int32_t frame = 0; frame < plan.frameCount; ++frame) {
    const app::MapRegion region = FrameRegion(plan, frame);
    const bool finite = std::isfinite(region.x0) && std::isfinite(region.x1) && std::isfinite(region.y0) &&
                        std::isfinite(region.y1);
    if (!finite || !(region.x0 < region.x1 && region.y0 < region.y1)) return frame;
  }
  return std::nullopt;
}

double SweptValueOf(const Sweep& sweep, std::int32_t frame, std::int32_t frameCount) {
  if (frame == 0) return sweep.first;
  if (frame == frameCount - 1) return sweep.last;
  return sweep.first + (sweep.last - sweep.first) * frame / (frameCount - 1);
}

namespace {

struct SweepName {
  const char* name;  // after "magnetK." for a magnet's value
  SweptValue value;
  bool ofAMagnet;
  bool zeroAllowed;
};
constexpr SweepName sweepNames[] = {
    {"g", SweptValue::g, false, false},          {"m", SweptValue::m, false, false},
    {"friction", SweptValue::friction, false, true}, {"height", SweptValue::height, false, true},
    {"x", SweptValue::magnetX, true, true},      {"y", SweptValue::magnetY, true, true},
    {"strength", SweptValue::magnetStrength, true, false},
};

}  // namespace

std::string SweptName(const Sweep& sweep) {
  for (const SweepName& known : sweepNames) {
    if (known.value != sweep.value) continue;
    if (!known.ofAMagnet) return known.name;
    return "magnet" + std::to_string(sweep.magnet + 1) + "." + known.name;
  }
  return "";
}

std::optional<Sweep> ReadSweep(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string name = text.substr(0, colon);
  int magnet = -1;
  if (name.size() > 8 && name.starts_with("magnet") && name[6] >= '1' && name[6] <= '8' && name[7] == '.') {
    magnet = name[6] - '1';
    name = name.substr(8);
  }
  const std::optional<std::vector<double>> range = ReadFiniteNumbers(text.substr(colon + 1), 2);
  if (!range) return std::nullopt;
  const double first = (*range)[0];
  const double last = (*range)[1];
  for (const SweepName& known : sweepNames) {
    if (name != known.name || known.ofAMagnet != (magnet >= 0)) continue;
    const bool inRange = known.value == SweptValue::magnetX || known.value == SweptValue::magnetY ||
                         (known.zeroAllowed ? first >= 0 && last >= 0 : first > 0 && last > 0);
    if (!inRange) return std::nullopt;
    return Sweep{known.value, first, last, std::max(magnet, 0)};
  }
  return std::nullopt;
}

std::optional<Keyframe> ReadKeyframe(const std::string& text) {
  const std::optional<std::vector<double>> numbers = ReadFiniteNumbers(text, 3);
  if (!numbers || !((*numbers)[2] > 0)) return std::nullopt;
  return Keyframe{(*numbers)[0], (*numbers)[1], (*numbers)[2]};
}

}  // namespace cli
