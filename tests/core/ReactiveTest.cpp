#include "core/reactive/Subject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrilux {
namespace {

TEST(SubjectTest, HasNoMemoryAndTokensEndSubscriptions) {
    Subject<int> subject;
    subject.send(1);
    std::vector<int> seen;
    {
        auto token = subject.subscribe([&](const int& v) { seen.push_back(v); });
        subject.send(2);
        EXPECT_EQ(subject.subscriberCount(), 1u);
    }
    subject.send(3);
    EXPECT_EQ(seen, std::vector<int>{2});
    EXPECT_EQ(subject.subscriberCount(), 0u);
}

TEST(SubjectTest, SubscriberCancelledDuringDeliveryGetsNothingMore) {
    Subject<int> subject;
    std::vector<std::string> seen;
    Subscription second;
    auto first = subject.subscribe([&](const int& v) {
        seen.push_back("first" + std::to_string(v));
        second.cancel();
    });
    second = subject.subscribe([&](const int& v) { seen.push_back("second" + std::to_string(v)); });
    subject.send(1);
    EXPECT_EQ(seen, std::vector<std::string>{"first1"});
}

TEST(SubjectTest, TokenOutlivingSubjectIsHarmless) {
    Subscription token;
    {
        Subject<int> subject;
        token = subject.subscribe([](const int&) {});
    }
    token.cancel();
    EXPECT_FALSE(token.isActive());
}

} // namespace
} // namespace tavrilux
