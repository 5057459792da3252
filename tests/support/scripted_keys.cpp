#include "tests/support/scripted_keys.h"

namespace console {

void ScriptedKeys::Push(KeyPress key) {
  decoder_.Expire(pending_);
  pending_.push_back(key);
}

void ScriptedKeys::PushBytes(std::string_view bytes) { decoder_.Feed(bytes, pending_); }

void ScriptedKeys::TakeArrivedKeys(std::deque<KeyPress>& queue) {
  if (atLook_) atLook_(looks_);
  ++looks_;
  decoder_.Expire(pending_);
  for (const KeyPress& key : pending_) queue.push_back(key);
  pending_.clear();
}

}  // namespace console
