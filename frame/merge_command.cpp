#include <cstdio>

#include "frame/batch_commands.h"
#include "pictures/band.h"

namespace frame {

int RunMergeCommand(const std::vector<std::filesystem::path>& bands,
                    const std::filesystem::path& output) {
  if (auto problem = pictures::MergeBands(bands, output)) {
    std::fprintf(stderr, "magpend: %s\n", problem->c_str());
    return 1;
  }
  return 0;
}

}  // namespace frame
