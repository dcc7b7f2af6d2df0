#include "platform/linux/PollMainQueue.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tavrilux::linux_platform {
namespace {

TEST(PollMainQueueTest, RunsTasksInDueThenPostingOrderAndSkipsCancelledOnes) {
    PollMainQueue queue;
    std::vector<int> order;
    queue.postAfter(Seconds{0.02}, [&] { order.push_back(3); });
    queue.post([&] { order.push_back(1); });
    auto cancelled = queue.post([&] { order.push_back(99); });
    queue.post([&] { order.push_back(2); });
    cancelled.cancel();
    EXPECT_TRUE(queue.runUntil([&] { return order.size() == 3; }, Seconds{2.0}));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(PollMainQueueTest, DelaysAreMeasuredOnTheMonotonicClock) {
    PollMainQueue queue;
    double ranAt = -1;
    const double start = queue.now().count();
    queue.postAfter(Seconds{0.05}, [&] { ranAt = queue.now().count(); });
    EXPECT_TRUE(queue.runUntil([&] { return ranAt >= 0; }, Seconds{2.0}));
    EXPECT_GE(ranAt - start, 0.05);
}

TEST(PollMainQueueTest, ATaskThatKeepsPostingDoesNotStarveDescriptors) {
    PollMainQueue queue;
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    int spins = 0;
    bool read = false;
    std::function<void()> spin = [&] {
        ++spins;
        queue.post(spin);
    };
    queue.post(spin);
    auto watch = queue.watchReadable(fds[0], [&] {
        char c;
        read = ::read(fds[0], &c, 1) == 1;
    });
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    EXPECT_TRUE(queue.runUntil([&] { return read; }, Seconds{2.0}));
    EXPECT_GT(spins, 0);
    // An ended watch is not called again.
    watch.cancel();
    read = false;
    ASSERT_EQ(::write(fds[1], "y", 1), 1);
    queue.runFor(Seconds{0.02});
    EXPECT_FALSE(read);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(PollMainQueueTest, RunUntilNoticesAConditionATaskFulfilledWithoutWaiting) {
    PollMainQueue queue;
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    bool done = false;
    // A descriptor callback posts the task that fulfils the condition; nothing else is due.
    auto watch = queue.watchReadable(fds[0], [&] {
        char c;
        ASSERT_EQ(::read(fds[0], &c, 1), 1);
        queue.post([&] { done = true; });
    });
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    const double start = queue.now().count();
    EXPECT_TRUE(queue.runUntil([&] { return done; }, Seconds{5.0}));
    EXPECT_LT(queue.now().count() - start, 1.0);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(PollMainQueueTest, QuitEndsRunFromInsideATask) {
    PollMainQueue queue;
    int after = 0;
    queue.postAfter(Seconds{0.01}, [&] { queue.quit(); });
    queue.postAfter(Seconds{0.01}, [&] { ++after; });
    queue.run();
    // The task due with the quitting one is kept for the next run.
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(queue.runUntil([&] { return after == 1; }, Seconds{1.0}));
}

} // namespace
} // namespace tavrilux::linux_platform
