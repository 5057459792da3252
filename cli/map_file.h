// One map picture computed and written as `magpend map` writes it: the job
// its command names, the text that identifies that job inside the file (so
// that only bands of one map are joined and a film's frames are recognised),
// and the computation with its write. `magpend map` writes one; `magpend
// film` writes each frame with it, so a frame is byte for byte the picture
// of its map command.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/map_picture.h"
#include "cli/command_line.h"

namespace cli {

// The scan and the picture a map command asks for.
app::MapPictureJob MapJobOf(const MapCommand& command);

// What identifies a map, written into its file's "Job" text.
std::string MapJobText(const app::MapPictureJob& job);

enum class MapFileOutcome {
  written,
  notWritten,  // the problem says why (no memory, the file)
  stopped,     // stopRequested said so; nothing was written
};
struct MapFileResult {
  MapFileOutcome outcome = MapFileOutcome::written;
  std::string problem;  // not written: one line, for "magpend: ..."
};

// Computes the command's picture with `workerThreads` threads and writes it
// whole to command.output, or writes nothing. `window`: the offscreen window
// of a window picture (app::OpenMapPictureWindow), 0 for a pixel per point.
// `afterRow` (may be empty) hears of each row done; `stopRequested` is asked
// during the computation and the write.
MapFileResult ComputeMapFile(const MapCommand& command, unsigned workerThreads, graphics::WindowHandle window,
                             const std::function<void(int rowsDone)>& afterRow,
                             const std::function<bool()>& stopRequested);

// Whether `path` is a whole picture file of the map `command` names: a PNG
// that reads to its last row, with that map's job text and all of its rows.
bool HoldsMapPicture(const std::filesystem::path& path, const MapCommand& command);

}  // namespace cli
