// What the process's standard streams are connected to.
#pragma once

namespace runtime {

// Whether standard error is a terminal (where a progress line may go).
bool StandardErrorIsTerminal();

}  // namespace runtime
