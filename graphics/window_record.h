// What the graphics subsystem knows of one window. A graphic window has two
// records: its frame (the top-level window) and its drawing area (the child
// that covers the frame's client area and owns the pixel surface).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "graphics/color.h"
#include "graphics/graphic_window.h"
#include "graphics/surface.h"

namespace graphics {

class WindowThread;

// The bits of WindowRecord::flags.
namespace windowFlag {
constexpr std::uint32_t changed = 0x4;             // area: drawn on since the last repaint
constexpr std::uint32_t repaintRequested = 0x8;    // area: the window thread found the DrawingLock held
constexpr std::uint32_t flipY = 0x20;              // area: the scale's y axis grows upwards
constexpr std::uint32_t flipX = 0x40;              // area: the scale's x axis grows to the left
}  // namespace windowFlag

enum class RecordKind : std::uint32_t { frame = 1, drawingArea = 2 };

// The drawing state lives in plain fields that only code holding the
// DrawingLock touches; `flags` is atomic because the window thread sets
// `repaintRequested` without the lock. Records are shared: a drawing
// operation keeps the record (and with it the surface) alive until it ends,
// even when the window is destroyed meanwhile.
struct WindowRecord {
  WindowHandle handle = 0;        // the window this record describes
  WindowHandle parentHandle = 0;  // area: its frame; frame: 0
  RecordKind kind = RecordKind::frame;
  std::atomic<std::uint32_t> flags{0};  // windowFlag bits

  std::shared_ptr<Surface> surface;  // area only: width x height pixels

  float scaleOriginX = 0;  // the smaller x of the scale rectangle
  float scaleOriginY = 0;  // the smaller y of the scale rectangle
  float scaleFactorX = 0;  // pixels per user unit across
  float scaleFactorY = 0;  // pixels per user unit down; 0: no scale set

  std::int32_t width = 0;   // of the drawing area and its surface, pixels
  std::int32_t height = 0;
  std::int32_t positionX = 0;  // pixel where the next line starts
  std::int32_t positionY = 0;

  ColorRef foreColor = windowTextColor;  // for UseForeground
  ColorRef backColor = dialogFaceColor;  // between hatch lines
  std::uint32_t drawCount = 0;           // operations since a drawing operation last repainted

  // The thread that serves the window. The window system alone owns it (and
  // joins it before letting go), so a record never keeps it alive, and its
  // thread never ends up destroying itself.
  std::weak_ptr<WindowThread> owner;

  bool HasFlag(std::uint32_t flag) const { return (flags.load() & flag) != 0; }
  // Sets `flag`; returns whether it was set before.
  bool SetFlag(std::uint32_t flag) { return (flags.fetch_or(flag) & flag) != 0; }
  void ClearFlag(std::uint32_t flag) { flags.fetch_and(~flag); }
};

}  // namespace graphics
