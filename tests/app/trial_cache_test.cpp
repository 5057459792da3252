#include "app/trial_cache.h"

#include <gtest/gtest.h>

#include <cmath>

namespace app {
namespace {

// A result is found only under the very key it was kept with: another start
// point by one bit, or rules that differ in any one value, never hit.
TEST(TrialCacheTest, OnlyTheWholeKeyFindsAResult) {
  TrialCache cache(100);
  const TrialRules rules;
  const std::uint32_t id = cache.RulesId(rules);
  cache.Keep(id, 1.5, -0.0, {2, 17});
  ASSERT_TRUE(cache.Find(id, 1.5, -0.0));
  EXPECT_EQ(cache.Find(id, 1.5, -0.0)->steps, 17);
  EXPECT_EQ(cache.RulesId(TrialRules{}), id);  // equal rules, the same id

  for (const auto& [x, y] : {std::pair{1.5, 0.0}, std::pair{std::nextafter(1.5, 2.0), -0.0}, std::pair{-0.0, 1.5}}) {
    EXPECT_FALSE(cache.Find(id, x, y)) << x << " " << y;
  }
  const auto with = [](auto change) {
    TrialRules changed;
    change(changed);
    return changed;
  };
  const TrialRules others[] = {
      with([](TrialRules& r) { r.g = std::nextafter(5.0, 6.0); }),
      with([](TrialRules& r) { r.m = 401; }),
      with([](TrialRules& r) { r.stepLimit = 2001; }),
      with([](TrialRules& r) { r.pendulum.magnets[1].x = 31; }),
      with([](TrialRules& r) { r.pendulum.magnets[2].strength = 2; }),
      with([](TrialRules& r) { r.pendulum.magnets.pop_back(); }),
      with([](TrialRules& r) { r.pendulum.height = 1; }),
      with([](TrialRules& r) { r.pendulum.friction = 0.01; }),
      with([](TrialRules& r) { r.pendulum.captureRadius = 8; }),
  };
  for (const TrialRules& other : others) {
    const std::uint32_t otherId = cache.RulesId(other);
    EXPECT_NE(otherId, id);
    EXPECT_FALSE(cache.Find(otherId, 1.5, -0.0));
  }
}

// Full, the cache lets go of the least recently used result first; a result
// found is used again.
TEST(TrialCacheTest, TheLeastRecentlyUsedGoesFirst) {
  TrialCache cache(3);
  const std::uint32_t id = cache.RulesId({});
  for (int i = 0; i < 3; ++i) cache.Keep(id, i, 0, {1, i});
  EXPECT_TRUE(cache.Find(id, 0, 0));  // 0 used again: 1 is now the oldest
  cache.Keep(id, 3, 0, {1, 3});
  EXPECT_EQ(cache.Size(), 3u);
  EXPECT_FALSE(cache.Find(id, 1, 0));
  for (int i : {0, 2, 3}) EXPECT_TRUE(cache.Find(id, i, 0)) << i;

  TrialCache none(0);
  none.Keep(none.RulesId({}), 0, 0, {1, 1});
  EXPECT_EQ(none.Size(), 0u);
}

}  // namespace
}  // namespace app
