// The replaced allocation functions live in a file of their own: the
// compiler then cannot inline them into the tests, where it would pair the
// malloc'd memory with a delete it sees calling free and warn of a mismatch.
#include "tests/allocation/failing_allocations.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool allocationsFail = false;
}  // namespace

namespace testing_support {
FailingAllocations::FailingAllocations() { allocationsFail = true; }
FailingAllocations::~FailingAllocations() { allocationsFail = false; }
}  // namespace testing_support

void* operator new(std::size_t size) {
  if (allocationsFail) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
