// Lets a test make every allocation on its own thread fail for a while.
// The global operator new and delete are replaced for the whole test program.
#pragma once

namespace testing_support {

// While one of these lives, every operator new on this thread throws
// std::bad_alloc.
class FailingAllocations {
 public:
  FailingAllocations();
  ~FailingAllocations();
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace testing_support
