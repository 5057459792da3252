// Another program run as a child process (ffmpeg for a film's video): found
// on the PATH, started with its arguments, waited for. The child shares the
// terminal and its standard streams, so Ctrl+C reaches it too. The backends
// are cli/posix/child_process.cpp (posix_spawn),
// cli/windows/child_process.cpp (_spawnv) and cli/web/child_process.cpp
// (the page's build, which finds no program).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// The executable file `name` in a folder of the PATH, or nothing.
std::optional<std::filesystem::path> FindProgram(const std::string& name);

// Runs `program` with `arguments` and waits for it to end: its exit code,
// or nothing when it could not be started or was ended by a signal.
std::optional<int> RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments);

}  // namespace cli
