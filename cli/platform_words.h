// The words the help uses for what differs between the platforms: where the
// form is asked, the key that ends the program, where the manual is. Each
// build links the words of its own platform.
#pragma once

namespace cli {

struct PlatformWords {
  const char* formPlace;   // where the form is asked: "terminal" or "console"
  const char* endKey;      // the key that ends the program at any time
  const char* manual;      // where to read more
};

// The words of this build's platform.
const PlatformWords& Words();

}  // namespace cli
