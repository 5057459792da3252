// The lines the explorer says: the command that computes a view as a file,
// and what became of a clicked start point. Numbers in them are in the
// shortest text that reads back to the same double (app/number_text.h).
#pragma once

#include <string>

#include "app/explore.h"
#include "app/start_grid.h"
#include "app/trial.h"

namespace app {

// The options of the values of `settings` that differ from the defaults
// (the form's pendulum), each with a space before it, as a view's command
// gives them: ` --g G --m M --n N --magnets="..." --height H ...`.
std::string ValueOptions(const ExploreSettings& settings);

// The batch command that computes the view of `region` with the settings'
// values (and markers) as a file.
std::string ViewCommand(const ExploreSettings& settings, const MapRegion& region);

// What became of a clicked trial that ran to its end: "magnet K after N
// steps" or "no magnet after N steps".
std::string ClickResult(const TrialResult& result);
// Of one that input stopped: "stopped after N steps".
std::string StoppedClickResult(const TrialResult& result);

// The line of a clicked start point: "start X Y: RESULT".
std::string StartLine(double x, double y, const std::string& result);

}  // namespace app
