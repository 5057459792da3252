#include "app/line_clip.h"

#include <algorithm>
#include <cmath>

namespace app {

std::optional<Segment> Clipped(Segment s, double low, double high) {
  double enter = 0;
  double leave = 1;
  const double dx = s.bx - s.ax;
  const double dy = s.by - s.ay;
  const double directions[4] = {-dx, dx, -dy, dy};
  const double distances[4] = {s.ax - low, high - s.ax, s.ay - low, high - s.ay};
  for (int i = 0; i < 4; ++i) {
    if (directions[i] == 0) {
      if (distances[i] < 0) return std::nullopt;
      continue;
    }
    const double t = distances[i] / directions[i];
    if (directions[i] < 0) enter = std::max(enter, t);
    else leave = std::min(leave, t);
  }
  if (enter > leave || !std::isfinite(enter) || !std::isfinite(leave)) return std::nullopt;
  return Segment{s.ax + enter * dx, s.ay + enter * dy, s.ax + leave * dx, s.ay + leave * dy};
}

}  // namespace app
