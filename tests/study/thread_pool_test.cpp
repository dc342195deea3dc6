// The ordered pool with more threads than the window asked for, over many
// turns of its window.
#include "study/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace ascent {
namespace {

TEST(ThreadPool, ARingOfRunWindowSlotsHoldsEveryIndexUntilItIsDelivered) {
  constexpr std::size_t count = 3000, asked = 2;
  const std::size_t slots = runWindow(count, 8, asked);
  std::vector<std::size_t> ring(slots, count);
  std::atomic<std::size_t> delivered = 0;
  const auto work = [&](std::size_t i) {
    EXPECT_LT(i, delivered.load() + slots);
    ring[i % slots] = i;
  };
  const auto deliver = [&](std::size_t i) {
    EXPECT_EQ(i, delivered.load());
    EXPECT_EQ(ring[i % slots], i);
    ++delivered;
  };
  EXPECT_EQ(runInOrder(count, 8, work, deliver, {}, asked), count);
}

}  // namespace
}  // namespace ascent
