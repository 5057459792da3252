// The file steps that every build has, also the page's (whose film folder
// code names them though it writes no files): the messages that name a
// file, and the temporary file beside a target.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <system_error>

#include "pictures/file_steps.h"

namespace pictures {

FileProblem CannotWrite(const std::filesystem::path& path, const std::string& reason) {
  return "cannot write " + path.string() + ": " + reason;
}

FileProblem CannotRead(const std::filesystem::path& path, const std::string& reason) {
  return "cannot read " + path.string() + ": " + reason;
}

std::string SystemReason(int error) { return std::generic_category().message(error); }

TemporaryFile::TemporaryFile(const std::filesystem::path& target) {
  // Names that differ between processes (the clock) and within one (the
  // counter); a name taken anyway is skipped.
  static std::atomic<std::uint64_t> counter{0};
  const auto seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 20 && file_ == nullptr; ++attempt) {
    path_ = target;
    path_ += ".tmp-" + std::to_string((seed + 7919 * ++counter) % 1000000007);
    file_ = CreateNewFile(path_);
    if (file_ == nullptr && errno != EEXIST) break;
  }
  if (file_ == nullptr) openError_ = errno;
}

TemporaryFile::~TemporaryFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!renamed_) {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
}

std::optional<std::string> TemporaryFile::Close() {
  if (file_ == nullptr) return std::nullopt;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(file_) == 0;
  const int closeError = errno;
  file_ = nullptr;
  if (!flushed) return SystemReason(flushError);
  if (!closed) return SystemReason(closeError);
  return std::nullopt;
}

std::optional<std::string> TemporaryFile::RenameTo(const std::filesystem::path& target) {
  if (auto problem = MoveFileOver(path_, target)) return problem;
  renamed_ = true;
  return std::nullopt;
}

}  // namespace pictures
