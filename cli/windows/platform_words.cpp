#include "cli/platform_words.h"

namespace cli {

const PlatformWords& Words() {
  static constexpr PlatformWords words{"console", "Ctrl+Break", "README.txt beside magpend.exe"};
  return words;
}

}  // namespace cli
