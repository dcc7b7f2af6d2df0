#include "core/reactive/Published.h"
#include "core/reactive/Subject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrilux {
namespace {

TEST(PublishedTest, ObserversSeeNewValueBeforeItIsStored) {
    Published<int> value(1);
    std::vector<std::pair<int, int>> seen; // (delivered, stored at that moment)
    auto token = value.observe([&](const int& next) { seen.emplace_back(next, value.get()); });
    value.set(2);
    value.set(2);
    ASSERT_EQ(seen.size(), 2u) << "every assignment notifies, equal values included";
    EXPECT_EQ(seen[0], std::make_pair(2, 1));
    EXPECT_EQ(seen[1], std::make_pair(2, 2));
    EXPECT_EQ(value.get(), 2);
}

TEST(PublishedTest, SinkDeliversCurrentValueFirst) {
    Published<std::string> value("a");
    std::vector<std::string> seen;
    auto token = value.sink([&](const std::string& v) { seen.push_back(v); });
    value.set("b");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

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

TEST(SubscriptionSetTest, ClearEndsEverySubscription) {
    Subject<int> subject;
    int calls = 0;
    SubscriptionSet set;
    set.insert(subject.subscribe([&](const int&) { ++calls; }));
    set.insert(subject.subscribe([&](const int&) { ++calls; }));
    subject.send(0);
    set.clear();
    subject.send(0);
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace tavrilux
