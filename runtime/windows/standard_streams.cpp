#include "runtime/standard_streams.h"

#include <io.h>

#include <cstdio>

namespace runtime {

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace runtime
