#include "core/diagnostics/ThreadCpuAccounting.h"
#include "core/diagnostics/GpuBusyPercent.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrilux {
namespace {

std::string statLine(long tid, const std::string& comm, unsigned long utime, unsigned long stime,
                     unsigned long start) {
    // Fields 3 to 22 of a stat line, with the times in their places.
    return std::to_string(tid) + " (" + comm + ") S 1 1 1 0 -1 4194304 100 0 0 0 " +
           std::to_string(utime) + " " + std::to_string(stime) + " 0 0 20 0 1 0 " +
           std::to_string(start) + " 1000 200 18446744073709551615\n";
}

TEST(ThreadCpuAccountingTest, ParsesTimesEvenWhenTheCommandNameHoldsParentheses) {
    auto times = ThreadCpuAccounting::parseStatLine(statLine(4242, "ta (x) y", 120, 30, 5000));
    ASSERT_TRUE(times);
    EXPECT_EQ(times->tid, 4242);
    EXPECT_EQ(times->busyTicks, 150u);
    EXPECT_EQ(times->startTicks, 5000u);
}

TEST(ThreadCpuAccountingTest, RejectsCutOrMalformedLines) {
    EXPECT_FALSE(ThreadCpuAccounting::parseStatLine(""));
    EXPECT_FALSE(ThreadCpuAccounting::parseStatLine("12 (name) S 1 1"));
    EXPECT_FALSE(ThreadCpuAccounting::parseStatLine("x (name) " + std::string(60, ' ')));
    std::string bad = statLine(1, "n", 120, 30, 5000);
    bad.replace(bad.find(" 120 "), 5, " 1x0 ");
    EXPECT_FALSE(ThreadCpuAccounting::parseStatLine(bad));
}

TEST(ThreadCpuAccountingTest, UsageOverTheIntervalSinceThePreviousSample) {
    ThreadCpuAccounting accounting(100.0);
    // Started at 10 s after boot; 2 s of CPU by 20 s: 20 % since it started.
    EXPECT_NEAR(accounting.sample({{1, 200, 1000}}, 20.0), 20.0, 1e-9);
    // Busy for 1.5 s of the next 2 s: 75 %; a second new thread adds its own share.
    EXPECT_NEAR(accounting.sample({{1, 350, 1000}, {2, 50, 2100}}, 22.0), 75.0 + 50.0, 1e-9);
    // Idle interval.
    EXPECT_NEAR(accounting.sample({{1, 350, 1000}, {2, 50, 2100}}, 24.0), 0.0, 1e-9);
}

TEST(ThreadCpuAccountingTest, ReusedThreadIdCountsAsANewThread) {
    ThreadCpuAccounting accounting(100.0);
    accounting.sample({{7, 900, 100}}, 10.0);
    // Same id, later start: its 20 ticks are since 11 s, not a drop from 900.
    EXPECT_NEAR(accounting.sample({{7, 20, 1100}}, 12.0), 20.0, 1e-9);
}

TEST(ThreadCpuAccountingTest, SeveralBusyThreadsExceedOneHundredButNoneAlone) {
    ThreadCpuAccounting accounting(100.0);
    accounting.sample({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, 1.0);
    EXPECT_NEAR(accounting.sample({{1, 100, 0}, {2, 100, 0}, {3, 100, 0}}, 2.0), 300.0, 1e-9);
    // A thread just started with one tick would compute as far more than one processor.
    EXPECT_NEAR(accounting.sample({{1, 100, 0}, {4, 1, 299}}, 3.0), 100.0, 1e-9);
}

TEST(GpuBusyPercentTest, ReadsAWholePercentage) {
    EXPECT_EQ(parseGpuBusyPercent("37\n"), 37.0);
    EXPECT_EQ(parseGpuBusyPercent(" 0 "), 0.0);
    EXPECT_EQ(parseGpuBusyPercent("100"), 100.0);
    for (const char* text : {"", "\n", "abc", "12%", "-1", "101", "3.5", "1 2"}) {
        EXPECT_EQ(parseGpuBusyPercent(text), std::nullopt) << '"' << text << '"';
    }
}

} // namespace
} // namespace tavrilux
