// The failure policy: a service that fails records an error number for the
// calling thread and returns; execution goes on with the next statement.
// Nothing is ever shown to the user and the application never reads it;
// tests do.
#pragma once

namespace runtime {

enum class ErrorNumber : int {
  none = 0,
  invalidArgument = 5,      // e.g. attaching to something that is no drawing area
  outOfMemory = 7,          // a text or table could not be allocated
};

// Records `number` as the calling thread's current error.
void RecordError(ErrorNumber number);

// The calling thread's most recently recorded error (none at thread start).
ErrorNumber CurrentError();

// Resets the calling thread's error to none, as at entry to a routine.
void ClearError();

}  // namespace runtime
