#include "cli/child_process.h"

#include <process.h>

#include <cstdlib>

namespace cli {

namespace {

// The C library joins the arguments into one command line unquoted: an
// argument with blanks or quotes is quoted as the startup code splits them.
std::string QuotedArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

}  // namespace

std::optional<std::filesystem::path> FindProgram(const std::string& name) {
  const char* searched = std::getenv("PATH");
  const std::string folders = searched != nullptr ? searched : "";
  for (std::size_t start = 0; start < folders.size();) {
    const std::size_t semicolon = std::min(folders.find(';', start), folders.size());
    const std::filesystem::path candidate = std::filesystem::path(folders.substr(start, semicolon - start)) / (name + ".exe");
    std::error_code error;
    if (semicolon > start && std::filesystem::is_regular_file(candidate, error)) return candidate;
    start = semicolon + 1;
  }
  return std::nullopt;
}

std::optional<int> RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{QuotedArgument(program.string())};
  for (const std::string& argument : arguments) words.push_back(QuotedArgument(argument));
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);
  const intptr_t exitCode = _spawnv(_P_WAIT, program.string().c_str(), argv.data());
  if (exitCode < 0) return std::nullopt;
  return static_cast<int>(exitCode);
}

}  // namespace cli
