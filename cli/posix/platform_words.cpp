#include "cli/platform_words.h"

namespace cli {

const PlatformWords& Words() {
  static constexpr PlatformWords words{"terminal", "Ctrl+\\", "man magpend, and the README"};
  return words;
}

}  // namespace cli
