#include "platform/linux/TerminationSignals.h"
#include "core/settings/FocusPresets.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    std::vector<std::string> env{"XDG_CONFIG_HOME=" + configHome.string(),
                                 "XDG_STATE_HOME=" + configHome.string(), "HOME=/nonexistent"};
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string path = TAVRILUX_SETTINGS_EXIT_PROBE;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start the probe");
    }

    ProbeResult result;
    char buffer[256];
    bool signalled = false;
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(n));
        if (!signalled && result.output.find("ready\n") != std::string::npos) {
            kill(pid, signal);
            signalled = true;
        }
    }
    close(out[0]);
    if (!signalled) {
        kill(pid, SIGKILL);
    }
    waitpid(pid, &result.status, 0);
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
