#include "platform/linux/CrashDiagnosticsStore.h"
#include "fakes/TempDir.h"
#include "platform/linux/PrivateFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

namespace tavrilux {
namespace {

using fakes::TempDir;
using fakes::writeFile;

std::string record(int signal, long long time) {
    return "tavrilux-crash-record 1\nsignal " + std::to_string(signal) + "\ncode 0\ntime " +
           std::to_string(time) + "\npid 1\nversion 1.0\nframe 0x10 main\nend\n";
}

class RecordingSubscriber final : public DiagnosticSubscriber {
public:
    void didReceive(const std::vector<DiagnosticPayload>& payloads) override {
        deliveries.push_back(payloads);
    }
    std::vector<std::vector<DiagnosticPayload>> deliveries;
};

class CrashDiagnosticsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(linux_platform::PrivateFolder::prepare(folder).has_value());
    }
    std::size_t fileCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                      std::filesystem::directory_iterator()));
    }

    TempDir root;
    std::filesystem::path folder = root / "state/tavrilux/diagnostics";
    RecordingSubscriber subscriber;
};

TEST_F(CrashDiagnosticsStoreTest, BadRecordsAreRemovedWithoutStoppingTheGoodOnes) {
    writeFile(folder / "crash-30-1.record", record(11, 30));
    writeFile(folder / "crash-10-2.record", record(6, 10));
    writeFile(folder / "truncated.record", record(11, 20).substr(0, 40));
    writeFile(folder / "garbage.record", "\x7f"
                                         "ELF binary junk");
    writeFile(folder / "empty.record", "");
    writeFile(folder / "huge.record", record(11, 25) + std::string(300 * 1024, '#'));
    writeFile(folder / "far-future.record", record(11, 99999999999999));
    const auto outside = root / "outside.record";
    writeFile(outside, record(4, 5));
    std::filesystem::create_symlink(outside, folder / "link.record");

    linux_platform::CrashDiagnosticsStore store(folder);
    EXPECT_EQ(store.deliverPending(subscriber), 2u);
    ASSERT_EQ(subscriber.deliveries.size(), 1u) << "one delivery carries every record";
    const auto& payloads = subscriber.deliveries[0];
    ASSERT_EQ(payloads.size(), 2u);
    EXPECT_EQ(payloads[0].timeStampEnd,
              std::chrono::system_clock::time_point(std::chrono::seconds(10)))
        << "oldest first";
    EXPECT_EQ(payloads[1].timeStampEnd,
              std::chrono::system_clock::time_point(std::chrono::seconds(30)));
    EXPECT_EQ(
        nlohmann::json::parse(payloads[1].crashDiagnostics.at(0).jsonRepresentation)["signal"], 11);
    EXPECT_EQ(fileCount(), 0u);
    EXPECT_TRUE(std::filesystem::exists(outside)) << "a link is removed, never what it points to";
}

TEST_F(CrashDiagnosticsStoreTest, AFolderOthersCanWriteOrOwnIsNotRead) {
    writeFile(folder / "crash-1-1.record", record(11, 1));
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    linux_platform::CrashDiagnosticsStore store(folder);
    EXPECT_EQ(store.deliverPending(subscriber), 0u);
    EXPECT_EQ(fileCount(), 1u);

    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chown(folder.c_str(), 54321, 54321), 0);
        EXPECT_EQ(store.deliverPending(subscriber), 0u);
        EXPECT_EQ(fileCount(), 1u);
        EXPECT_TRUE(linux_platform::PrivateFolder::prepare(folder).has_value())
            << "another user's folder is refused";
    }
    EXPECT_TRUE(subscriber.deliveries.empty());
}

TEST_F(CrashDiagnosticsStoreTest, RecordFilesOfAnotherOwnerAreNotRead) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file away";
    }
    const auto foreign = folder / "crash-2-2.record";
    writeFile(foreign, record(11, 2));
    ASSERT_EQ(::chown(foreign.c_str(), 54321, 54321), 0);
    linux_platform::CrashDiagnosticsStore store(folder);
    EXPECT_EQ(store.deliverPending(subscriber), 0u);
    EXPECT_TRUE(subscriber.deliveries.empty());
    EXPECT_EQ(fileCount(), 0u) << "removed unread";
}

TEST(PrivateFolderTest, TightensModeAndRefusesLinks) {
    TempDir root;
    const auto folder = root / "diagnostics";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    ASSERT_FALSE(linux_platform::PrivateFolder::prepare(folder).has_value());
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);

    const auto link = root / "linked";
    std::filesystem::create_directory_symlink(folder, link);
    EXPECT_TRUE(linux_platform::PrivateFolder::prepare(link).has_value());
    EXPECT_TRUE(linux_platform::PrivateFolder::prepare("relative/path").has_value());
}

} // namespace
} // namespace tavrilux
