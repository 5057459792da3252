#include "console/scripted_keys.h"

#include <cstdio>
#include <cstdlib>

namespace console {

void ScriptedKeys::Type(std::vector<KeyPress> keys) { batches_.push_back(std::move(keys)); }

void ScriptedKeys::Type(std::string_view characters) {
  std::vector<KeyPress> keys;
  for (const char c : characters) keys.push_back(CharacterKey(static_cast<std::uint8_t>(c)));
  Type(std::move(keys));
}

void ScriptedKeys::Pause() { batches_.emplace_back(); }

void ScriptedKeys::TakeArrivedKeys(std::deque<KeyPress>& queue) {
  ++looks_;
  if (batches_.empty()) {
    if (++looksSinceExhausted_ == 1'000'000) {
      std::fputs("ScriptedKeys: the script ran out while keys are still awaited\n", stderr);
      std::abort();
    }
    return;
  }
  for (const KeyPress& key : batches_.front()) queue.push_back(key);
  batches_.pop_front();
}

}  // namespace console
