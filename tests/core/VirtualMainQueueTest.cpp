#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrilux::fakes {
namespace {

TEST(VirtualMainQueueTest, RunsDueTasksInTimeThenPostingOrder) {
    VirtualMainQueue queue;
    std::vector<int> order;
    queue.postAfter(Seconds{0.2}, [&] { order.push_back(3); });
    queue.postAfter(Seconds{0.1}, [&] { order.push_back(1); });
    queue.postAfter(Seconds{0.1}, [&] { order.push_back(2); });
    queue.post([&] { order.push_back(0); });
    queue.advance(Seconds{0.15});
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    queue.advance(Seconds{0.05});
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST(VirtualMainQueueTest, TasksSeeTheirScheduledTime) {
    VirtualMainQueue queue;
    double seenAt = -1;
    queue.postAfter(Seconds{0.3}, [&] { seenAt = queue.now().count(); });
    queue.advance(Seconds{1.0});
    EXPECT_DOUBLE_EQ(seenAt, 0.3);
    EXPECT_DOUBLE_EQ(queue.now().count(), 1.0);
}

TEST(VirtualMainQueueTest, CancelledSleepEndsWithoutEffect) {
    VirtualMainQueue queue;
    bool ran = false;
    auto handle = queue.postAfter(Seconds{0.3}, [&] { ran = true; });
    EXPECT_EQ(queue.pendingCount(), 1u);
    handle.cancel();
    EXPECT_EQ(queue.pendingCount(), 0u);
    queue.advance(Seconds{1.0});
    EXPECT_FALSE(ran);
}

TEST(VirtualMainQueueTest, TaskPostedByTaskForNowRunsInSameTurn) {
    VirtualMainQueue queue;
    int depth = 0;
    queue.post([&] {
        ++depth;
        queue.post([&] { ++depth; });
    });
    EXPECT_EQ(queue.runUntilIdle(), 2u);
    EXPECT_EQ(depth, 2);
}

TEST(VirtualMainQueueTest, RunNextJumpsToTheNextTask) {
    VirtualMainQueue queue;
    int ran = 0;
    queue.postAfter(Seconds{5.0}, [&] { ++ran; });
    EXPECT_TRUE(queue.runNext());
    EXPECT_EQ(ran, 1);
    EXPECT_DOUBLE_EQ(queue.now().count(), 5.0);
    EXPECT_FALSE(queue.runNext());
}

} // namespace
} // namespace tavrilux::fakes
