#include "app/trial_cache.h"

#include <new>

#include "runtime/software_real.h"

namespace app {

std::uint32_t TrialCache::RulesId(const TrialRules& rules) {
  for (std::size_t id = 0; id < rules_.size(); ++id) {
    if (rules_[id] == rules) return static_cast<std::uint32_t>(id);
  }
  rules_.push_back(rules);
  return static_cast<std::uint32_t>(rules_.size() - 1);
}

TrialCache::Key TrialCache::KeyOf(std::uint32_t rulesId, double x, double y) {
  // runtime::BitCast: the WebAssembly build's standard library has no std::bit_cast.
  return {runtime::BitCast<std::uint64_t>(x), runtime::BitCast<std::uint64_t>(y), rulesId};
}

std::size_t TrialCache::KeyHash::operator()(const Key& key) const {
  // The bits mixed by multiplication with odd constants and folded.
  std::uint64_t hash = key.x * 0x9E3779B97F4A7C15ull;
  hash ^= (hash >> 29) ^ (key.y * 0xC2B2AE3D27D4EB4Full);
  hash ^= (hash >> 32) ^ (std::uint64_t{key.rules} * 0x165667B19E3779F9ull);
  return static_cast<std::size_t>(hash ^ (hash >> 31));
}

std::optional<TrialResult> TrialCache::Find(std::uint32_t rulesId, double x, double y) {
  const auto found = index_.find(KeyOf(rulesId, x, y));
  if (found == index_.end()) return std::nullopt;
  entries_.splice(entries_.begin(), entries_, found->second);
  return found->second->result;
}

void TrialCache::Keep(std::uint32_t rulesId, double x, double y, const TrialResult& result) {
  if (capacity_ == 0) return;
  const Key key = KeyOf(rulesId, x, y);
  if (const auto found = index_.find(key); found != index_.end()) {
    entries_.splice(entries_.begin(), entries_, found->second);
    return;
  }
  if (entries_.size() >= capacity_) {
    index_.erase(entries_.back().key);
    entries_.pop_back();
  }
  try {
    entries_.push_front({key, result});
    try {
      index_.emplace(key, entries_.begin());
    } catch (const std::bad_alloc&) {
      entries_.pop_front();
      throw;
    }
  } catch (const std::bad_alloc&) {
    capacity_ = entries_.size();
  }
}

}  // namespace app
