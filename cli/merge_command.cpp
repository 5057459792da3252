#include <cstdio>

#include "cli/batch_commands.h"
#include "pictures/band.h"

namespace cli {

int RunMergeCommand(const std::vector<std::filesystem::path>& bands,
                    const std::filesystem::path& output) {
  if (auto problem = pictures::MergeBands(bands, output)) {
    std::fprintf(stderr, "magpend: %s\n", problem->c_str());
    return exitNotDone;
  }
  return exitDone;
}

}  // namespace cli
