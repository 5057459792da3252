// Results of trials already computed, kept for any later view that has the
// same start points: a trial's result depends only on its start point's two
// doubles and its rules (g, m, the step limit, the pendulum), so a result
// found under exactly that key is the very answer, never a neighbour's. The
// start point is keyed by its bits (so -0 and +0 are two points) and the
// rules by an id that only equal rules share (compared whole). The cache
// holds at most `capacity` results, the least recently used going first.
// One thread uses it (the explorer's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "app/trial.h"

namespace app {

class TrialCache {
 public:
  // About this many bytes a result kept (its list entry, its index entry and
  // their share of the index's buckets, on a 64-bit CPU), for the help's words.
  static constexpr std::size_t bytesPerResult = 136;
#if defined(__wasm__)
  // The page's program has 128 MB in all: a quarter of a million results,
  // some 25 MB there.
  static constexpr std::size_t defaultCapacity = 250'000;
#else
  // 1.5 million results: some 200 MB, four default views.
  static constexpr std::size_t defaultCapacity = 1'500'000;
#endif

  explicit TrialCache(std::size_t capacity = defaultCapacity) : capacity_(capacity) {}

  // The id of these rules: the same for equal rules, another for any other.
  std::uint32_t RulesId(const TrialRules& rules);

  // The result of the trial from (x, y) under the rules of `rulesId`, if kept;
  // it becomes the most recently used.
  std::optional<TrialResult> Find(std::uint32_t rulesId, double x, double y);
  // Keeps a result; where memory runs out first, the cache keeps what it
  // holds and takes no more than that from then on.
  void Keep(std::uint32_t rulesId, double x, double y, const TrialResult& result);

  std::size_t Size() const { return entries_.size(); }

 private:
  struct Key {
    std::uint64_t x;
    std::uint64_t y;
    std::uint32_t rules;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  struct Entry {
    Key key;
    TrialResult result;
  };
  static Key KeyOf(std::uint32_t rulesId, double x, double y);

  std::size_t capacity_;
  std::vector<TrialRules> rules_;  // id i: rules_[i]
  std::list<Entry> entries_;       // most recently used first
  std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
};

}  // namespace app
