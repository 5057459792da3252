// The steps both picture backends take with files (an inside of the
// pictures library, not its interface): messages that name the file, and a
// temporary file beside the target that is renamed over it once complete,
// so that a file is written whole or not at all (temporary_file.cpp, in
// every build; file_steps.cpp, in the builds that write files, writes
// WritePngFile around the backend's EncodePng).
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "pictures/png_file.h"

namespace pictures {

FileProblem CannotWrite(const std::filesystem::path& path, const std::string& reason);
FileProblem CannotRead(const std::filesystem::path& path, const std::string& reason);
// The C library's words for an errno value.
std::string SystemReason(int error);

// A new file beside the target, removed again unless it was renamed into
// place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::filesystem::path& target);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Open for writing; null when the file could not be made (OpenError says why).
  std::FILE* File() const { return file_; }
  int OpenError() const { return openError_; }

  // Closes the file; nothing when every byte reached it, otherwise why not.
  std::optional<std::string> Close();
  // Puts the file in place of `target` in one step.
  std::optional<std::string> RenameTo(const std::filesystem::path& target);

 private:
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  int openError_ = 0;
  bool renamed_ = false;
};

// --- What each backend does in the system's own way ------------------------

// Writes the picture (WritePngFile's arguments) into `file`, which is open
// and empty; the backend may close it and write the file at its path in
// its own way. Nothing when done, otherwise why not.
std::optional<std::string> EncodePng(TemporaryFile& file, std::int32_t width, std::int32_t height,
                                     const RowSource& source, std::span<const PngText> texts);

// Opens `path` for binary writing, only when no such file exists yet; null
// otherwise, with errno saying why (EEXIST when it exists).
std::FILE* CreateNewFile(const std::filesystem::path& path);

// Moves `from` over `to` (replacing it) in one step (not ReplaceFile:
// windows.h takes that name for a macro); nothing when done,
// otherwise why not.
std::optional<std::string> MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace pictures
