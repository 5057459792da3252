#include "graphics/drawing.h"

#include <algorithm>

#include "graphics/drawing_operation.h"
#include "graphics/scale.h"
#include "graphics/text.h"

namespace graphics {

namespace {

ColorRef ResolveColor(ColorRef color, const WindowRecord& area) {
  return color == UseForeground ? area.foreColor : color;
}

void MoveTo(WindowRecord& area, PixelPoint point) {
  area.positionX = point.x;
  area.positionY = point.y;
}

// The corner ellipse of the box.
void SetCornerSize(BoxFigure& figure, BoxCorners corners) {
  const std::int64_t width = std::int64_t{figure.box.right} - figure.box.left;
  const std::int64_t height = std::int64_t{figure.box.bottom} - figure.box.top;
  if (corners.shape == BoxCorners::Shape::ellipse) {
    // One larger than the box: the corners meet and make the ellipse.
    figure.cornerWidth = width + 1;
    figure.cornerHeight = height + 1;
    return;
  }
  const std::int64_t percent = std::clamp(corners.percent, 0, 100);
  figure.cornerWidth = std::min(width, height) * percent / 100;
  figure.cornerHeight = figure.cornerWidth;
}

InteriorPaint ResolveInterior(ColorRef fillColor, ColorRef outline, FillPattern pattern,
                              const WindowRecord& area) {
  InteriorPaint interior;
  if (fillColor == NoFill) {
    interior.mode = InteriorMode::untouched;
    return interior;
  }
  interior.pattern = pattern;
  interior.color = (fillColor == UseForeground ? outline : fillColor) & colorBits;
  interior.backColor = area.backColor;
  return interior;
}

}  // namespace

void SetGraphicPosition(runtime::Real x, runtime::Real y) {
  DrawingOperation operation;
  WindowRecord* area = operation.Target();
  if (area == nullptr) return;
  MoveTo(*area, ToPixel(*area, x, y));
}

void DrawGraphicLine(runtime::Real x, runtime::Real y, ColorRef color) {
  DrawingOperation operation;
  WindowRecord* area = operation.Target();
  if (area == nullptr) return;
  const PixelPoint from{area->positionX, area->positionY};
  const PixelPoint to = ToPixel(*area, x, y);
  MoveTo(*area, to);
  area->surface->DrawLine(from, to, ResolveColor(color, *area));
  operation.RefreshAfterDraw();
}

void SetGraphicPixel(runtime::Real x, runtime::Real y, ColorRef color) {
  DrawingOperation operation;
  WindowRecord* area = operation.Target();
  if (area == nullptr) return;
  const PixelPoint point = ToPixel(*area, x, y);
  MoveTo(*area, point);
  area->surface->SetPixel(point, ResolveColor(color, *area));
  operation.RefreshAfterDraw();
}

void DrawGraphicBox(float x1, float y1, float x2, float y2, BoxCorners corners, ColorRef outlineColor,
                    ColorRef fillColor, FillPattern pattern) {
  DrawingOperation operation;
  WindowRecord* area = operation.Target();
  if (area == nullptr) return;
  const PixelPoint first = ToPixel(*area, x1, y1);
  const PixelPoint second = ToPixel(*area, x2, y2);
  const ColorRef outline = ResolveColor(outlineColor, *area) & colorBits;
  const InteriorPaint interior = ResolveInterior(fillColor, outline, pattern, *area);

  BoxFigure figure;
  figure.box = {std::min(first.x, second.x), std::min(first.y, second.y),
                std::max(first.x, second.x), std::max(first.y, second.y)};
  SetCornerSize(figure, corners);
  area->surface->DrawBox(figure, outline, interior);
  operation.RefreshAfterDraw();
}

void DrawGraphicPixels(const PixelRect& area, const ColorRef* pixels) {
  DrawingOperation operation;
  WindowRecord* target = operation.Target();
  if (target == nullptr) return;
  target->surface->WritePixels(area, pixels);
  operation.RefreshAfterDraw();
}

void DrawGraphicText(PixelPoint topLeft, std::string_view text, ColorRef ink, ColorRef paper) {
  DrawingOperation operation;
  WindowRecord* target = operation.Target();
  if (target == nullptr) return;
  DrawText(*target->surface, topLeft, text, ink, paper);
  operation.RefreshAfterDraw();
}

}  // namespace graphics
