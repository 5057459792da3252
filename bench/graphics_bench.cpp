// Drawing speed on the offscreen window system: the map run draws its three
// magnet markers (12-pixel circles, each the same figure over itself) before
// every model step, with the batch repaint every 150 operations. And the cost
// of opening and closing a window, offscreen and on the real window system
// (when it can show windows).
#include <benchmark/benchmark.h>

#include "graphics/drawing.h"
#include "graphics/graphic_window.h"
#include "graphics/surface.h"
#include "graphics/window_system.h"

namespace {

void OpenBenchWindow() {
  graphics::SelectWindowSystem(graphics::WindowSystemKind::offscreen);
  const graphics::WindowHandle window = graphics::OpenGraphicWindow("Bench", 100, 100, 800, 600);
  graphics::AttachGraphicWindow(window);
  graphics::SetGraphicScale(-200, 150, 200, -150);
}

// The same marker over itself: no pixel changes after the first.
void MarkerOverItself(benchmark::State& state) {
  OpenBenchWindow();
  for (auto _ : state) {
    graphics::DrawGraphicBox(-45.5f, -3, -39.5f, 3, graphics::ellipseCorners, 0x000000FF,
                             graphics::UseForeground);
  }
  graphics::CloseGraphicWindow();
  graphics::ShutdownWindowSystem();
}
BENCHMARK(MarkerOverItself);

// The three markers in turn, as a model step draws them.
void ThreeMarkers(benchmark::State& state) {
  OpenBenchWindow();
  for (auto _ : state) {
    graphics::DrawGraphicBox(-45.4f, -3, -39.4f, 3, graphics::ellipseCorners, 0x000000FF, graphics::UseForeground);
    graphics::DrawGraphicBox(27, 27, 33, 33, graphics::ellipseCorners, 0x0000BF00, graphics::UseForeground);
    graphics::DrawGraphicBox(27, -33, 33, -27, graphics::ellipseCorners, 0x00FF0000, graphics::UseForeground);
  }
  state.SetItemsProcessed(state.iterations() * 3);
  graphics::CloseGraphicWindow();
  graphics::ShutdownWindowSystem();
}
BENCHMARK(ThreeMarkers);

// A marker whose colour changes every time: every batch repaint copies.
void MarkerChangingColour(benchmark::State& state) {
  OpenBenchWindow();
  graphics::ColorRef color = 0;
  for (auto _ : state) {
    graphics::DrawGraphicBox(-3, -3, 3, 3, graphics::ellipseCorners, color, graphics::UseForeground);
    color = (color + 1) & 0xFF;
  }
  graphics::CloseGraphicWindow();
  graphics::ShutdownWindowSystem();
}
BENCHMARK(MarkerChangingColour);

// The rasteriser alone, without lock, lookup or repaint.
void SurfaceMarker(benchmark::State& state) {
  graphics::Surface surface(800, 600, graphics::dialogFaceColor);
  const graphics::BoxFigure marker{{394, 294, 406, 306}, 13, 13};
  const graphics::InteriorPaint interior{graphics::InteriorMode::painted, graphics::FillPattern::solid,
                                         0x000000FF, graphics::dialogFaceColor};
  for (auto _ : state) surface.DrawBox(marker, 0x000000FF, interior);
}
BENCHMARK(SurfaceMarker);

// OpenGraphicWindow to a shown window, then CloseGraphicWindow to its end.
void OpenAndClose(benchmark::State& state, graphics::WindowSystemKind kind) {
  graphics::SelectWindowSystem(kind);
  for (auto _ : state) {
    const graphics::WindowHandle window =
        graphics::OpenGraphicWindow("Bench", 100, 100, 800, 600);
    if (window == 0) {
      state.SkipWithError("the window system shows no windows here");
      break;
    }
    graphics::AttachGraphicWindow(window);
    graphics::CloseGraphicWindow();
  }
  graphics::ShutdownWindowSystem();
}
BENCHMARK_CAPTURE(OpenAndClose, offscreen, graphics::WindowSystemKind::offscreen)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenAndClose, screen, graphics::WindowSystemKind::desktop)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
