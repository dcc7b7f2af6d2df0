#include "platform/linux/TerminationSignals.h"
#include "core/settings/FocusPresets.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrilux {
namespace {

using linux_platform::TerminationSignals;

TEST(TerminationSignalsTest, SignalReachesTheHandlerInsteadOfEndingTheProcess) {
    sigset_t before;
    pthread_sigmask(SIG_SETMASK, nullptr, &before);
    ASSERT_FALSE(sigismember(&before, SIGINT));

    std::atomic<int> received{0};
    {
        TerminationSignals signals([&](int s) { received.store(s); });
        ASSERT_EQ(kill(getpid(), SIGINT), 0);
        // The waiting thread takes it; wait for the handler without sleeping blindly.
        for (int i = 0; i < 200000 && received.load() == 0; ++i) {
            sched_yield();
        }
        EXPECT_EQ(received.load(), SIGINT);
        received.store(0);
    }
    EXPECT_EQ(received.load(), 0) << "stopping does not look like a signal";
    sigset_t after;
    pthread_sigmask(SIG_SETMASK, nullptr, &after);
    EXPECT_FALSE(sigismember(&after, SIGINT)) << "the mask is restored";
    EXPECT_FALSE(sigismember(&after, SIGTERM));
}

struct ProbeResult {
    int status = 0;
    std::string output;
};

// Runs the probe with its settings in `configHome`, sends `signal` once it has saved, and waits.
ProbeResult runProbe(const std::filesystem::path& configHome, int signal) {
    const std::string home = configHome.string();
    const std::string command = "XDG_CONFIG_HOME='" + home + "' XDG_STATE_HOME='" + home +
                                "' HOME=/nonexistent exec '" TAVRILUX_SETTINGS_EXIT_PROBE "'";
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr) {
        throw std::runtime_error("cannot start the probe");
    }
    ProbeResult result;
    char line[256];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        result.output += line;
        int pid = 0;
        if (std::sscanf(line, "ready %d", &pid) == 1) {
            kill(pid, signal);
        }
    }
    result.status = pclose(out);
    return result;
}

class ExitFlushTest : public testing::TestWithParam<int> {};

TEST_P(ExitFlushTest, SettingsSavedJustBeforeATerminationSignalReachTheFile) {
    fakes::TempDir home;
    const auto result = runProbe(home.path(), GetParam());
    ASSERT_TRUE(WIFEXITED(result.status))
        << "the signal ended the process: "
        << (WIFSIGNALED(result.status) ? WTERMSIG(result.status) : 0);
    EXPECT_EQ(WEXITSTATUS(result.status), 0);
    EXPECT_NE(result.output.find("flushed after signal " + std::to_string(GetParam())),
              std::string::npos)
        << result.output;

    std::ifstream in(home.path() / "tavrilux" / "com.mirtal.tavrilux.json");
    ASSERT_TRUE(in) << "nothing was written";
    const auto stored = nlohmann::json::parse(in);
    EXPECT_EQ(stored["dimming.blurIntensity"], 0.42);
    EXPECT_EQ(stored["dimming.effectMode"], "aura");
    EXPECT_EQ(stored["dimming.activeMode"], "evening");
    EXPECT_EQ(stored["app.excludedBundleIDs"], nlohmann::json::parse(R"(["org.example.probe"])"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ExitFlushTest, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int>& p) {
                             return p.param == SIGTERM ? "SIGTERM" : "SIGINT";
                         });

} // namespace
} // namespace tavrilux
