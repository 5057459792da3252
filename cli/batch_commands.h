// The commands beside the form: map and merge make pictures without a
// terminal or a display, each written whole or not at all, and end with an
// exit code of cli/exit_codes.h: done, not done (the reason on standard
// error) or interrupted; explore shows the map in a window of its own.
#pragma once

#include <filesystem>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_codes.h"

namespace cli {

// magpend map: computes the start-point map on all cores and writes it.
// While standard error is a terminal, a progress line there shows the rows
// done, the share and the time left.
int RunMapCommand(const MapCommand& command);

// magpend explore: the map in a window of its own (app/explore.h); what it
// says goes to standard output. exitDone when the user ended it, exitNotDone
// without a window, exitWrongInput when the --known file cannot be used (a
// line says why, before any window).
int RunExploreCommand(const ExploreCommand& command);

// magpend film: computes the frames missing from the frames folder (or the
// range asked for), each a map written whole, then encodes the video
// (cli/film_video.h). exitWrongInput for a place that cannot be written, a
// folder of another film or no ffmpeg (said before any frame is computed);
// when stopped by Ctrl+C the frames finished stay. A progress line on a
// terminal, as for map.
int RunFilmCommand(const FilmCommand& command);

// magpend merge: joins band files into one picture.
int RunMergeCommand(const std::vector<std::filesystem::path>& bands,
                    const std::filesystem::path& output);

}  // namespace cli
