// The explorer's help: every mouse action and key, as H or ? shows it over
// the view. The one list of them; the manual page's test checks that the
// page names each one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "graphics/surface.h"

namespace app {

// One line of the help: what the user does, and what follows.
struct HelpEntry {
  const char* input;   // the mouse action or key, as the manual names it
  const char* action;  // what the explorer does
};

inline constexpr HelpEntry exploreHelp[] = {
    {"left click", "the trial of that start point, its path drawn"},
    {"left drag", "zoom into the square around the rectangle"},
    {"wheel", "zoom in (up) or out by 2 about the pointer"},
    {"right click", "the previous view"},
    {"Backspace", "the previous view"},
    {"Home", "the first view"},
    {"arrow keys", "pan by a quarter of the view"},
    {"left drag of a marker", "that magnet moved to where it is let go"},
    {"g, G", "g divided or multiplied by 1.25"},
    {"-, +", "m divided or multiplied by 1.25"},
    {"f, F", "the friction down or up by 0.01"},
    {"M", "the magnets' markers hidden or shown"},
    {"P", "save the view's values as explore-NNN.toml"},
    {"S", "save the view as explore-NNN.png"},
    {"H or ?", "this help; any key or click hides it"},
    {"Escape, Q", "the end"},
};

// The help's lines of text: a heading, then one line per entry, its input
// in a column of its own.
std::vector<std::string> HelpLines();

// Where the help lies over a side x side view: a panel in the middle, as
// large as the lines need and the view allows, and the part of the lines
// that it holds (whole lines, their first characters).
struct HelpLayout {
  graphics::PixelRect panel;    // the framed panel
  graphics::PixelPoint text;    // the first line's top left pixel
  std::size_t lines = 0;        // the lines shown, from the first
  std::size_t columns = 0;      // the characters shown of each
};
HelpLayout LayOutHelp(int side);

// Draws the help over the view of a side x side window (pixel rows 0 ..
// side - 1 of the current target): a framed panel in the middle, as much of
// it as the view holds.
void DrawHelp(int side);

}  // namespace app
