#include "runtime/error.h"

namespace runtime {

namespace {
thread_local ErrorNumber threadError = ErrorNumber::none;
}

void RecordError(ErrorNumber number) { threadError = number; }
ErrorNumber CurrentError() { return threadError; }
void ClearError() { threadError = ErrorNumber::none; }

}  // namespace runtime
