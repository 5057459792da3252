// The page's build starts no other programs: a browser has none to start.
#include "cli/child_process.h"

namespace cli {

std::optional<std::filesystem::path> FindProgram(const std::string&) { return std::nullopt; }

std::optional<int> RunProgram(const std::filesystem::path&, const std::vector<std::string>&) { return std::nullopt; }

}  // namespace cli
