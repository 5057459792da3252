// The colour of one start point in a picture of the map with a pixel per
// point: the batch map's `--grid` pictures and the explorer's views paint
// their points with this one function, so they agree to the pixel.
#pragma once

#include <cstdint>

#include "app/map_scan.h"
#include "graphics/color.h"

namespace app {

// Whether a point's colour also tells how long its trial took.
enum class Shading {
  none,     // the catching magnet's colour
  bySteps,  // that colour darkened by the steps the trial took
};

// The brightness (64 to 255) of a point caught after `steps` of at most
// `stepLimit` steps: 255 - isqrt(191^2 (steps - 1) / (stepLimit - 1)), all
// in whole numbers (the quotient rounded down, isqrt the largest whole
// number whose square is not above its argument). Caught at once: 255 (the
// full colour); caught at the step limit: 64 (dark). The square root spreads
// the many quick catches over more shades than a straight line would.
std::uint32_t ShadeBrightness(std::int64_t steps, std::int64_t stepLimit);

// Grey (the window's background) when no magnet caught the bob; otherwise
// the magnet's colour, with Shading::bySteps each channel c becoming
// c * brightness / 255, rounded down.
graphics::ColorRef PointColor(const TrialResult& result, std::int64_t stepLimit, Shading shading);

}  // namespace app
