// The interactive program's pictures kept as files (magpend --save DIR):
// each run's last picture written into the folder as a PNG named after its
// window in lower case, pendelweg.png and startpunkte.png. A picture that
// cannot be written does not stop the program; what went wrong is told
// after it has ended, since until then the form covers the terminal. The
// folder itself is made and tried before the form (Prepare), so that a
// mistyped folder is said at once, not a minute later.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/run_window.h"
#include "runtime/text.h"

namespace cli {

class PictureFolder {
 public:
  explicit PictureFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Makes `folder` when it is missing (one level, as mkdir does) and tries
  // writing a file into it. Nothing when the pictures can go there,
  // otherwise one line that names the folder and what is wrong.
  static std::optional<std::string> Prepare(const std::filesystem::path& folder);

  // Writes the picture of the window `caption` (null: the window never
  // opened, which is noted as a problem too).
  void Save(const runtime::Text& caption, const app::RunPicture& picture);

  // One line per picture not written.
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  std::filesystem::path folder_;
  std::vector<std::string> problems_;
};

}  // namespace cli
