#include "app/path_run.h"

#include "app/magnets.h"
#include "app/model.h"
#include "app/run_window.h"
#include "graphics/color.h"
#include "graphics/drawing.h"
#include "graphics/graphic_window.h"
#include "runtime/numeric.h"

namespace app {

using runtime::Real;
using runtime::ToSingle;

namespace {

// The side view: the rod from its pivot at (150, 140) to the bob at a fifth
// of the scale, and the box that erases it after each step.
constexpr Real sideViewPivotX = 150;
constexpr Real sideViewPivotY = 140;
constexpr Real sideViewRestY = 100;

void DrawSideView(const PendulumState& state) {
  const graphics::ColorRef black = graphics::ComposeRgb(0, 0, 0);
  const Real bobX = Real(state.x) / 5 + sideViewPivotX;
  const Real bobY = Real(state.z) / 5 + sideViewRestY;
  graphics::SetGraphicPosition(sideViewPivotX, sideViewPivotY);
  graphics::DrawGraphicLine(bobX, bobY, black);
  graphics::DrawGraphicBox(ToSingle(bobX - 1), ToSingle(bobY - 1), ToSingle(bobX + 1),
                           ToSingle(bobY + 1), graphics::ellipseCorners, black, graphics::NoFill);
}

void EraseSideView() {
  const graphics::ColorRef background = graphics::ComposeRgb(0, 239, 239);
  graphics::DrawGraphicBox(130, 144, 170, 90, graphics::squareCorners, background, background);
}

// Long pauses are slept in slices so that a key pressed meanwhile ends the
// run after the current slice instead of after the whole pause.
void PauseAfterStep(std::uint32_t milliseconds, console::ConsoleKeyboard& keyboard) {
  constexpr std::uint32_t slice = 1000;
  if (milliseconds <= slice) {
    keyboard.SleepMilliseconds(milliseconds);
    return;
  }
  while (milliseconds > 0) {
    const std::uint32_t part = milliseconds < slice ? milliseconds : slice;
    keyboard.SleepMilliseconds(part);
    milliseconds -= part;
    if (keyboard.PeekKey().kind != console::KeyKind::none) return;
  }
}

}  // namespace

std::uint32_t StepPauseMilliseconds(double v) {
  const Real milliseconds = 200 * Real(v);
  if (milliseconds >= Real(0xFFFFFFFFu)) return 0xFFFFFFFF;
  return runtime::RoundToLow32(milliseconds);
}

RunPicture RunPathWindow(double x, double y, double g, double m, double v, double n,
                   console::ConsoleKeyboard& keyboard) {
  const RunPicture picture = OpenRunWindow(pathCaption);
  const graphics::ColorRef head = graphics::ComposeRgb(255, 255, 0);
  const graphics::ColorRef trail = graphics::ComposeRgb(0, 0, 255);
  const std::uint32_t pause = StepPauseMilliseconds(v);
  const Real stepBudget = 100 * Real(n);

  PendulumState state = StateAtRest(x, y);
  double stepCount = 0;
  while (keyboard.PollKey().empty() && state.caughtBy == 0 && !(stepBudget <= stepCount)) {
    const double previousX = state.x;
    const double previousY = state.y;
    DrawSideView(state);
    graphics::SetGraphicPixel(state.x, state.y, head);
    DrawMagnetMarkers();
    SimulationStep(state, g, m, pathTimeStep, pathCaptureRadius);
    PauseAfterStep(pause, keyboard);
    stepCount = stepCount + 1;
    graphics::SetGraphicPixel(previousX, previousY, trail);
    EraseSideView();
  }
  CloseRunWindow(keyboard);
  return picture;
}

}  // namespace app
