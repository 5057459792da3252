#include "app/explore_lines.h"

#include "app/number_text.h"
#include "app/pendulum.h"

namespace app {

std::string ValueOptions(const ExploreSettings& settings) {
  const ExploreSettings defaults;
  std::string options;
  if (settings.values.g != defaults.values.g) options += " --g " + ShortestText(settings.values.g);
  if (settings.values.m != defaults.values.m) options += " --m " + ShortestText(settings.values.m);
  if (settings.values.n != defaults.values.n) options += " --n " + ShortestText(settings.values.n);
  return options + PendulumOptions(settings.values.pendulum);
}

std::string ViewCommand(const ExploreSettings& settings, const MapRegion& region) {
  std::string command = "magpend map --grid " + std::to_string(settings.side) + " --region " +
                        RegionText(region);
  command += ValueOptions(settings);
  if (settings.shading == Shading::bySteps) command += " --shade";
  if (settings.markers) command += " --markers";
  return command + " -o view.png";
}

namespace {

std::string AfterSteps(const std::string& end, const TrialResult& result) {
  return end + " after " + std::to_string(result.steps) + " steps";
}

}  // namespace

std::string ClickResult(const TrialResult& result) {
  return AfterSteps(result.caughtBy > 0 ? "magnet " + std::to_string(result.caughtBy) : "no magnet", result);
}

std::string StoppedClickResult(const TrialResult& result) { return AfterSteps("stopped", result); }

std::string StartLine(double x, double y, const std::string& result) {
  return "start " + ShortestText(x) + " " + ShortestText(y) + ": " + result;
}

}  // namespace app
