// The commands that make pictures without a terminal or a display. Both
// write their picture whole or not at all, and end with an exit code:
// 0 written, 1 not written (the reason on standard error), 130 stopped by
// Ctrl+C.
#pragma once

#include <filesystem>
#include <vector>

#include "cli/command_line.h"

namespace cli {

// magpend map: computes the start-point map on all cores and writes it.
// While standard error is a terminal, a progress line there shows the rows
// done, the share and the time left.
int RunMapCommand(const MapCommand& command);

// magpend explore: the map in a window of its own (app/explore.h); what it
// says goes to standard output. 0 when the user ended it, 1 without a window.
int RunExploreCommand(const ExploreCommand& command);

// magpend merge: joins band files into one picture.
int RunMergeCommand(const std::vector<std::filesystem::path>& bands,
                    const std::filesystem::path& output);

}  // namespace cli
