// The status line under the explorer's view: where the view lies and how
// deep it is, how far it has got, what the last click found, what was
// saved, and the pendulum's values that differ from the defaults. Drawn in
// the window's own pixels (graphics/text.h) in the rows below the view, so
// the view's rows stay the map alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/explore.h"
#include "graphics/text.h"

namespace app {

inline constexpr int statusLineCount = 3;
// The status line's rows: a dividing row, a margin, the lines, a margin.
inline constexpr int statusHeight = 1 + 2 + statusLineCount * graphics::glyphHeight + 2;

// Whether the first view is shown, which tells of the help.
enum class HelpHint { none, shown };

// What the status line tells.
struct ExploreStatus {
  MapRegion region;         // the view shown
  MapRegion firstRegion;    // the first view, whose width is zoom 1
  std::int64_t shown = 0;   // the view's points painted so far
  std::int64_t points = 1;  // of how many
  double seconds = 0;       // since the view started; once finished, its time
  std::string clicked;      // the last click's result ("magnet 2 after 35 steps"), or empty
  std::string saved;        // the picture saved a moment ago ("explore-001.png"), or empty
  HelpHint hint = HelpHint::none;
};

// The status line's texts, one per line (statusLineCount):
//   centre X Y  width W  zoom Zx[   H: help]
//   NN% after T s | done in T s[   click: RESULT]
//   [saved: NAME   ]the options of the values that differ from the
//     defaults, as the view's command gives them ("--g 3 --friction 0.05")
// X, Y with as many digits as the zoom needs to tell neighbouring views
// apart; times as the printed `view:` line gives them when done.
std::vector<std::string> StatusLines(const ExploreStatus& status, const ExploreSettings& settings);

// The top left pixel of the status line's line `index` (from 0) under a
// side x side view.
graphics::PixelPoint StatusLineOrigin(int side, int index);

// Draws `lines` as the status line of a side x side view: in the rows side
// .. side + statusHeight - 1 of the current target, each line cut at the
// window's width.
void DrawStatus(const std::vector<std::string>& lines, int side);

}  // namespace app
