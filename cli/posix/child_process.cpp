#include "cli/child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace cli {

std::optional<std::filesystem::path> FindProgram(const std::string& name) {
  const char* searched = std::getenv("PATH");
  const std::string folders = searched != nullptr ? searched : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    const std::size_t colon = std::min(folders.find(':', start), folders.size());
    const std::string folder = colon == start ? "." : folders.substr(start, colon - start);
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = colon + 1;
  }
  return std::nullopt;
}

std::optional<int> RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return std::nullopt;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    // A caught Ctrl+C interrupts the wait, not the child's end.
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

}  // namespace cli
