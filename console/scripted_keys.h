// A key source for tests: the keys of a script arrive one batch per look at
// the queue, as if typed in between. A script that runs out while the
// program keeps waiting for a key would hang the test: after a million
// looks at an exhausted script the source aborts with a message instead.
#pragma once

#include <cstddef>
#include <deque>
#include <string_view>
#include <vector>

#include "console/key_source.h"

namespace console {

class ScriptedKeys final : public KeySource {
 public:
  // Adds a batch that arrives at the next look after the batches before it.
  void Type(std::vector<KeyPress> keys);
  // Adds a batch of character keys, one per byte of `characters`.
  void Type(std::string_view characters);
  // Adds a look at which nothing arrives.
  void Pause();

  void TakeArrivedKeys(std::deque<KeyPress>& queue) override;

  // Looks at the source so far, and whether the whole script has arrived.
  std::size_t Looks() const { return looks_; }
  bool Exhausted() const { return batches_.empty(); }

 private:
  std::deque<std::vector<KeyPress>> batches_;  // batches still to arrive, in order
  std::size_t looks_ = 0;
  std::size_t looksSinceExhausted_ = 0;  // looks that found the script used up
};

}  // namespace console
