#include "app/explore_status.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/explore_lines.h"
#include "graphics/drawing.h"

namespace app {

namespace {

constexpr graphics::ColorRef statusInk = 0x00000000;
constexpr graphics::ColorRef statusPaper = graphics::dialogFaceColor;
// Between the view and the status line: the view's uncaught points have the
// status line's grey.
constexpr graphics::ColorRef dividerColor = 0x00808080;
// The text's first column, and its first row below the view's.
constexpr int statusLeft = 2;
constexpr int statusTextTop = 3;

std::string Formatted(const char* format, double value, int digits = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, digits, value);
  return text;
}

// The centre's coordinate with the significant digits that a pixel of the
// view still tells apart (3 or more, 17 at most).
std::string CoordinateText(double value, double width, int side) {
  const double magnitude = std::max(std::abs(value), width);
  const int digits = std::clamp(static_cast<int>(std::ceil(std::log10(magnitude / width * side))) + 1, 3, 17);
  return Formatted("%.*g", value, digits);
}

std::string ViewLine(const ExploreStatus& status, int side) {
  const MapRegion& r = status.region;
  const double width = r.x1 - r.x0;
  const double zoom = (status.firstRegion.x1 - status.firstRegion.x0) / width;
  std::string line = "centre " + CoordinateText((r.x0 + r.x1) / 2, width, side) + " " +
                     CoordinateText((r.y0 + r.y1) / 2, width, side) + "  width " + Formatted("%.*g", width, 4) +
                     "  zoom " + Formatted("%.*g", zoom, 4) + "x";
  if (status.hint == HelpHint::shown) line += "   H: help";
  return line;
}

std::string ProgressLine(const ExploreStatus& status) {
  std::string line;
  if (status.shown >= status.points) {
    line = "done in " + Formatted("%.*f", status.seconds, 2) + " s";
  } else {
    const std::int64_t percent = status.shown * 100 / status.points;
    line = std::to_string(percent) + "% after " + Formatted("%.*f", status.seconds, 1) + " s";
  }
  if (!status.clicked.empty()) line += "   click: " + status.clicked;
  return line;
}

std::string NoteLine(const ExploreStatus& status, const ExploreSettings& settings) {
  const std::string options = ValueOptions(settings);
  std::string line = status.saved.empty() ? "" : "saved: " + status.saved + "   ";
  return line + (options.empty() ? "" : options.substr(1));
}

}  // namespace

std::vector<std::string> StatusLines(const ExploreStatus& status, const ExploreSettings& settings) {
  return {ViewLine(status, settings.side), ProgressLine(status), NoteLine(status, settings)};
}

graphics::PixelPoint StatusLineOrigin(int side, int index) {
  return {statusLeft, side + statusTextTop + index * graphics::glyphHeight};
}

void DrawStatus(const std::vector<std::string>& lines, int side) {
  // Every pixel painted once, in its final colour (no clearing first), so a
  // repaint never shows the line half drawn and an unchanged line changes
  // nothing.
  const auto fill = [](int left, int top, int right, int bottom, graphics::ColorRef color) {
    graphics::DrawGraphicBox(static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
                             static_cast<float>(bottom), graphics::squareCorners, color, color);
  };
  const int textTop = StatusLineOrigin(side, 0).y;
  const int textBottom = textTop + statusLineCount * graphics::glyphHeight;
  fill(0, side, side, side + 1, dividerColor);
  fill(0, side + 1, side, textTop, statusPaper);
  fill(0, textBottom, side, side + statusHeight, statusPaper);
  fill(0, textTop, statusLeft, textBottom, statusPaper);
  const std::size_t columns = static_cast<std::size_t>((side - statusLeft + graphics::glyphWidth - 1) / graphics::glyphWidth);
  for (std::size_t index = 0; index < lines.size(); ++index) {
    std::string line = lines[index];
    line.resize(columns, ' ');
    graphics::DrawGraphicText(StatusLineOrigin(side, static_cast<int>(index)), line, statusInk, statusPaper);
  }
}

}  // namespace app
