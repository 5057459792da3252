#include "app/explore_help.h"

#include <algorithm>
#include <cstring>

#include "graphics/drawing.h"
#include "graphics/text.h"

namespace app {

namespace {

constexpr graphics::ColorRef helpInk = 0x00000000;
constexpr graphics::ColorRef helpPaper = 0x00FFFFFF;
constexpr graphics::ColorRef helpFrame = 0x00000000;
// Between the frame and the text, pixels.
constexpr int helpMargin = 6;

}  // namespace

std::vector<std::string> HelpLines() {
  std::size_t inputWidth = 0;
  for (const HelpEntry& entry : exploreHelp) inputWidth = std::max(inputWidth, std::strlen(entry.input));
  std::vector<std::string> lines{"The mouse and the keys:"};
  for (const HelpEntry& entry : exploreHelp) {
    std::string line = entry.input;
    line.resize(inputWidth + 2, ' ');
    lines.push_back(line + entry.action);
  }
  return lines;
}

HelpLayout LayOutHelp(int side) {
  const std::vector<std::string> lines = HelpLines();
  std::size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  const int width = std::min(side, static_cast<int>(longest) * graphics::glyphWidth + 2 * helpMargin);
  const int height = std::min(side, static_cast<int>(lines.size()) * graphics::glyphHeight + 2 * helpMargin);
  HelpLayout layout;
  layout.panel.left = (side - width) / 2;
  layout.panel.top = (side - height) / 2;
  layout.panel.right = layout.panel.left + width;
  layout.panel.bottom = layout.panel.top + height;
  layout.text = {layout.panel.left + helpMargin, layout.panel.top + helpMargin};
  // Within the frame: the frame and the status line below stay.
  layout.lines = std::min(lines.size(), static_cast<std::size_t>(std::max(0, height - 2 * helpMargin) /
                                                                 graphics::glyphHeight));
  layout.columns = static_cast<std::size_t>(std::max(0, width - 2 * helpMargin) / graphics::glyphWidth);
  return layout;
}

void DrawHelp(int side) {
  const HelpLayout layout = LayOutHelp(side);
  const graphics::PixelRect& panel = layout.panel;
  graphics::DrawGraphicBox(static_cast<float>(panel.left), static_cast<float>(panel.top),
                           static_cast<float>(panel.right), static_cast<float>(panel.bottom), graphics::squareCorners,
                           helpFrame, helpPaper);
  const std::vector<std::string> lines = HelpLines();
  for (std::size_t index = 0; index < layout.lines; ++index) {
    const graphics::PixelPoint at{layout.text.x, layout.text.y + static_cast<int>(index) * graphics::glyphHeight};
    graphics::DrawGraphicText(at, lines[index].substr(0, layout.columns), helpInk, helpPaper);
  }
}

}  // namespace app
