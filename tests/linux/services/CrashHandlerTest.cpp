#include "core/services/CrashRecord.h"
#include "fakes/TempDir.h"
#include "platform/linux/CrashDiagnosticsStore.h"
#include "platform/linux/LinuxFileSystem.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace tavrilux {
namespace {

using namespace std::chrono_literals;
using fakes::TempDir;

// Runs the helper with its state home in `stateHome`; returns its wait status. A helper that
// hangs is killed (SIGKILL) after a minute; timeout(1) passes on the signal that ended it.
int crashChild(const std::filesystem::path& stateHome, const std::string& arguments) {
    const std::string command = "XDG_STATE_HOME='" + stateHome.string() +
                                "' ASAN_OPTIONS=handle_segv=0:handle_abort=0:detect_leaks=0 "
                                "exec timeout -s KILL 60 '" TAVRILUX_CRASH_HELPER "' " +
                                arguments;
    return std::system(command.c_str());
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        files.push_back(entry.path());
    }
    return files;
}

class RecordingSubscriber final : public DiagnosticSubscriber {
public:
    void didReceive(const std::vector<DiagnosticPayload>& payloads) override {
        deliveries.push_back(payloads);
    }
    std::vector<std::vector<DiagnosticPayload>> deliveries;
};

TEST(CrashHandlerTest, FatalSignalLeavesOnePrivateRecordAndStillKillsTheProcess) {
    TempDir state;
    const int status = crashChild(state.path(), "segv");
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    const auto folder = state / "tavrilux/diagnostics";
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    const auto files = filesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    ASSERT_EQ(::stat(files[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u) << "the record is private too";

    linux_platform::LinuxFileSystem fs;
    auto text = fs.readFile(files[0], CrashRecord::kMaxBytes);
    ASSERT_TRUE(text.has_value());
    auto record = CrashRecord::parse(*text);
    ASSERT_TRUE(record.has_value()) << *text;
    EXPECT_EQ(record->signal, SIGSEGV);
    EXPECT_EQ(record->version, "9.8.7");
    const auto age = std::chrono::system_clock::now() -
                     std::chrono::system_clock::time_point(std::chrono::seconds(record->time));
    EXPECT_LT(std::chrono::abs(age), 5min);
    ASSERT_FALSE(record->frames.empty());
    const bool namesTheCrashingFunction =
        std::any_of(record->frames.begin(), record->frames.end(), [](const auto& frame) {
            return frame.symbol.find("tavriluxHelperCrashNow") != std::string::npos;
        });
    EXPECT_TRUE(namesTheCrashingFunction) << *text;
}

TEST(CrashHandlerTest, AbortsRealFaultsOverflowsAndOtherThreadsAreRecordedAndStillKill) {
    const std::pair<const char*, int> cases[] = {
        {"abort", SIGABRT}, {"thread", SIGSEGV}, {"fault", SIGSEGV}, {"overflow", SIGSEGV}};
    for (const auto& [mode, signal] : cases) {
        SCOPED_TRACE(mode);
        TempDir state;
        const int status = crashChild(state.path(), mode);
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        RecordingSubscriber subscriber;
        linux_platform::CrashDiagnosticsStore store(state / "tavrilux/diagnostics");
        ASSERT_EQ(store.deliverPending(subscriber), 1u);
        ASSERT_EQ(subscriber.deliveries.size(), 1u);
        const auto diagnostic = nlohmann::json::parse(
            subscriber.deliveries[0].at(0).crashDiagnostics.at(0).jsonRepresentation);
        EXPECT_EQ(diagnostic["signal"], signal);
        EXPECT_FALSE(diagnostic["callStack"].empty());
        if (std::string(mode) == "fault") {
            EXPECT_NE(diagnostic["faultAddress"], "0x0") << "the address that faulted";
        }
    }
}

// Another thread holds the loader's lock for good, so the call stack's symbols cannot be named:
// the handler gives up after its time limit and the process dies of its own signal, leaving an
// unfinished record that the next launch throws away.
TEST(CrashHandlerTest, AHandlerThatCannotFinishStillDiesOfTheCrashSignal) {
    TempDir state;
    const auto started = std::chrono::steady_clock::now();
    const int status = crashChild(state.path(), "stuck '" TAVRILUX_LOADER_LOCK_HOLDER "'");
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV) << "not the watchdog's SIGALRM, nor our SIGKILL";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);

    linux_platform::CrashDiagnosticsStore store(state / "tavrilux/diagnostics");
    RecordingSubscriber subscriber;
    EXPECT_EQ(store.deliverPending(subscriber), 0u);
    EXPECT_TRUE(subscriber.deliveries.empty());
    EXPECT_TRUE(filesIn(store.folder()).empty());
}

} // namespace
} // namespace tavrilux
