// Allocation failures injected into the services that allocate: they record
// error 7 and go on with an empty result instead of ending the program.
// A separate test program, because it replaces the global operator new
// (failing_allocations.cpp).
#include <gtest/gtest.h>

#include "runtime/error.h"
#include "runtime/field_selection.h"
#include "tests/allocation/failing_allocations.h"

namespace runtime {
namespace {

TEST(AllocationFailureTest, SelectFieldRecordsOutOfMemoryAndGivesTheEmptyText) {
  // Long enough that the result cannot live inside the string itself.
  const Text line = "12345678901234567890123456789012345678901234567890, 7";
  ClearError();
  Text field = "unchanged";
  {
    testing_support::FailingAllocations failing;
    field = SelectField(line, 1);
  }
  EXPECT_EQ(field, "");
  EXPECT_EQ(CurrentError(), ErrorNumber::outOfMemory);

  // Once memory is there again, the same call works and records nothing.
  ClearError();
  EXPECT_EQ(SelectField(line, 1), line.substr(0, 50));
  EXPECT_EQ(CurrentError(), ErrorNumber::none);
}

}  // namespace
}  // namespace runtime
