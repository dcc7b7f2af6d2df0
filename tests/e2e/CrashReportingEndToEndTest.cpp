#include "EngineProcess.h"
#include "TestDesktopFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tavrilux::e2e {
namespace {

using testdesktop::DesktopControl;
using namespace std::chrono_literals;

class CrashReportingEndToEndTest : public testdesktop::TestDesktopFixture {
protected:
    // Waits for one more diagnostics line than `seen`: the engine's loop is running.
    static bool waitForAnotherDiagnosticsLine(const EngineProcess& engine, std::size_t seen) {
        return DesktopControl::waitUntil([&] { return engine.said("[DimmingPerf]") > seen; }, 10s);
    }

    static std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            files.push_back(entry.path());
        }
        return files;
    }
};

TEST_F(CrashReportingEndToEndTest, CrashIsRecordedAndDeliveredAtTheNextLaunch) {
    EngineProcess engine(desktop->display(), EngineLook{});
    ASSERT_TRUE(waitForAnotherDiagnosticsLine(engine, 0)) << engine.standardError();
    const pid_t crashedPid = engine.pid();

    ::kill(engine.pid(), SIGSEGV);
    ASSERT_EQ(engine.waitForExit(20s), -1) << engine.standardError();
    EXPECT_EQ(engine.endingSignal(), SIGSEGV) << "the handler lets the signal end the process";

    // The application's own handler wrote the record (its contents are the handler's tests').
    const auto folder = engine.stateHome() / "tavrilux/diagnostics";
    const auto records = filesIn(folder);
    ASSERT_EQ(records.size(), 1u);
    std::ostringstream text;
    text << std::ifstream(records[0]).rdbuf();
    EXPECT_NE(text.str().find("\npid " + std::to_string(crashedPid) + "\n"), std::string::npos)
        << text.str();

    // With uploads switched off nothing leaves the machine, yet the record is consumed.
    engine.restart("\"app.crashReportingEnabled\": false");
    const std::size_t linesBefore = engine.said("[DimmingPerf]");
    ASSERT_TRUE(waitForAnotherDiagnosticsLine(engine, linesBefore)) << engine.standardError();
    EXPECT_TRUE(filesIn(folder).empty());
    ASSERT_TRUE(waitForAnotherDiagnosticsLine(engine, linesBefore + 1)) << engine.standardError();
    EXPECT_TRUE(engine.isRunning());
    EXPECT_EQ(engine.terminate(), 0) << engine.standardError();
    EXPECT_TRUE(filesIn(folder).empty()) << "a clean exit records nothing";
}

} // namespace
} // namespace tavrilux::e2e
