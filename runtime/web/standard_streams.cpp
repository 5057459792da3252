#include "runtime/standard_streams.h"

namespace runtime {

// The page's terminal is fed by the console device alone; standard error
// goes to the browser's console, which is no terminal.
bool StandardErrorIsTerminal() { return false; }

}  // namespace runtime
