#include "runtime/standard_streams.h"

#include <unistd.h>

namespace runtime {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace runtime
