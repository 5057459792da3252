// How the explorer's keys and a dragged magnet change the values a view
// shows besides its region (app/pendulum.h, PendulumValues). Every change is
// a new view, so the previous view (Backspace) brings the values before it
// back.
#pragma once

#include <optional>
#include <string>

#include "app/pendulum.h"

namespace app {

// What the keys change: g and m by a factor of 1.25 (g, G and -, +), the
// friction by 0.01 (f, F; a whole number of hundredths, never below 0).
inline constexpr double valueFactor = 1.25;
inline constexpr double frictionStep = 0.01;

// The values after the key `character`, or nothing when it changes none
// (another key, or the friction already 0).
std::optional<PendulumValues> ValuesAfterKey(const PendulumValues& values, char32_t character);

// The values with magnet `index` (0 the first) moved to (x, y), or what is
// wrong with that place (beyond 200 on an axis, where another magnet lies).
struct MovedMagnet {
  std::optional<PendulumValues> values;
  std::string mistake;
};
MovedMagnet WithMagnetAt(const PendulumValues& values, std::size_t index, double x, double y);

// The values as a configuration file that `magpend map --config` and
// `magpend explore --config` read: one name=value a line.
std::string ConfigText(const PendulumValues& values);

}  // namespace app
