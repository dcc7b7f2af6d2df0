#include "core/services/LoginItem.h"
#include "core/services/XdgAutostartLoginService.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMainAppLoginService.h"
#include "fakes/FakeSystemOpener.h"

#include <gtest/gtest.h>

namespace tavrilux {
namespace {

using fakes::FakeFileSystem;
using fakes::FakeMainAppLoginService;
using fakes::FakeSystemOpener;

class LoginItemTest : public ::testing::Test {
protected:
    LoginItem make(BuildFlavor flavor, std::optional<std::filesystem::path> executable =
                                           std::filesystem::path("/work/build/tavrilux")) {
        MainBundleInfo bundle{flavor, std::move(executable), std::nullopt};
        return LoginItem({bundle, service, files, "/home/u/.config/autostart", opener});
    }
    const std::filesystem::path devEntry =
        "/home/u/.config/autostart/com.mirtal.tavrilux.dev.desktop";

    FakeMainAppLoginService service;
    FakeFileSystem files;
    FakeSystemOpener opener;
};

TEST_F(LoginItemTest, PackagedEnableRegistersUnlessEnabledAndReadsStatusAfterwards) {
    service.statusAfterRegister = LoginItemStatus::requiresApproval;
    auto item = make(BuildFlavor::packaged);
    auto result = item.setEnabled(true);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(service.registerCalls, 1);
    EXPECT_EQ(result.value(), LoginItemStatus::requiresApproval);
    EXPECT_EQ(item.status(), LoginItemStatus::requiresApproval);
    EXPECT_EQ(files.writes, 0) << "an installed build never writes the development entry";

    service.setStatus(LoginItemStatus::enabled);
    ASSERT_TRUE(item.setEnabled(true).ok());
    EXPECT_EQ(service.registerCalls, 1) << "already enabled: no call";
}

TEST_F(LoginItemTest, PackagedDisableCallsUnregisterOnlyWhenEnabledOrAwaitingApproval) {
    auto item = make(BuildFlavor::packaged);
    for (auto status : {LoginItemStatus::notRegistered, LoginItemStatus::notFound}) {
        service.setStatus(status);
        auto result = item.setEnabled(false);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.value(), status);
    }
    EXPECT_EQ(service.unregisterCalls, 0);
    for (auto status : {LoginItemStatus::enabled, LoginItemStatus::requiresApproval}) {
        service.setStatus(status);
        auto result = item.setEnabled(false);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.value(), LoginItemStatus::notRegistered);
    }
    EXPECT_EQ(service.unregisterCalls, 2);
}

TEST_F(LoginItemTest, PackagedFailuresAreReturnedNotSwallowed) {
    service.failure = ServiceFailure{"denied"};
    auto item = make(BuildFlavor::packaged);
    auto enable = item.setEnabled(true);
    ASSERT_FALSE(enable.ok());
    EXPECT_EQ(enable.failure().description, "denied");
    service.setStatus(LoginItemStatus::enabled);
    EXPECT_FALSE(item.setEnabled(false).ok());
}

TEST_F(LoginItemTest, DevelopmentBuildWritesAndRemovesItsOwnEntryForThisExecutable) {
    auto item = make(BuildFlavor::development, "/work/my build/tavrilux");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    ASSERT_TRUE(item.setEnabled(false).ok());
    EXPECT_EQ(files.removals, 0) << "nothing to remove";
    auto result = item.setEnabled(true);
    ASSERT_TRUE(result.ok()) << result.failure().description;
    EXPECT_EQ(result.value(), LoginItemStatus::enabled);
    EXPECT_EQ(service.registerCalls, 0);

    auto text = files.content(devEntry);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(XdgAutostartLoginService::entryLaunches(*text, "/work/my build/tavrilux")) << *text;
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);
    EXPECT_EQ(make(BuildFlavor::development, "/new/place/tavrilux").status(),
              LoginItemStatus::notRegistered)
        << "an entry of a moved build starts nothing";
    auto removed = item.setEnabled(false);
    ASSERT_TRUE(removed.ok());
    EXPECT_EQ(removed.value(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(files.fileExists(devEntry));
}

TEST_F(LoginItemTest, DevelopmentFailuresAreReported) {
    auto lost = make(BuildFlavor::development, std::nullopt);
    auto missing = lost.setEnabled(true);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().description, "Unable to locate the Tavrilux executable.");

    auto item = make(BuildFlavor::development);
    files.failCreateDirectories = true;
    EXPECT_FALSE(item.setEnabled(true).ok());
    files.failCreateDirectories = false;
    files.failWrites = true;
    EXPECT_FALSE(item.setEnabled(true).ok());
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);

    files.failWrites = false;
    item.setEnabled(true);
    files.failRemovals = true;
    EXPECT_FALSE(item.setEnabled(false).ok());

    EXPECT_FALSE(make(BuildFlavor::development, "/bad\x01path").setEnabled(true).ok())
        << "a path the entry cannot carry is a failure, not a broken entry";
}

TEST(XdgAutostartEntryTest, ExecQuotingSurvivesAwkwardPaths) {
    const std::string paths[] = {
        "/opt/tavrilux/bin/tavrilux",
        "/home/me/My Apps/bin/tavrilux",
        "/home/me/100%/$HOME/`x`/\"q\"/back\\slash/bin/tavrilux",
        "/home/mé/ünïcode/bin/tavrilux",
    };
    for (const auto& path : paths) {
        auto text = XdgAutostartLoginService::entryText(path);
        ASSERT_TRUE(text.ok()) << path;
        EXPECT_TRUE(XdgAutostartLoginService::entryLaunches(text.value(), path)) << text.value();
        EXPECT_FALSE(XdgAutostartLoginService::entryLaunches(text.value(), path + "x"));
    }
    EXPECT_FALSE(XdgAutostartLoginService::entryText("/a\nExec=/evil").ok());
    EXPECT_FALSE(XdgAutostartLoginService::entryText("/a\xff").ok());
}

// Desktop entry readers undo the string escapes (\s \n \t \r \\) before the quoting, and strict
// ones refuse any other backslash sequence in a string value.
TEST(XdgAutostartEntryTest, ExecValueHoldsOnlyValidStringEscapes) {
    auto text = XdgAutostartLoginService::entryText("/home/me/$x/`y`/\"q\"/b\\s/100%/tavrilux");
    ASSERT_TRUE(text.ok());
    const auto& entry = text.value();
    const auto start = entry.find("\nExec=");
    ASSERT_NE(start, std::string::npos);
    const auto end = entry.find('\n', start + 1);
    const std::string value = entry.substr(start + 6, end - start - 6);
    EXPECT_EQ(value, R"("/home/me/\\$x/\\`y\\`/\\"q\\"/b\\\\s/100%%/tavrilux")");
}

TEST(XdgAutostartEntryTest, InactiveOrForeignEntriesDoNotCount) {
    const std::string exe = "/usr/bin/tavrilux";
    const std::string base = "[Desktop Entry]\nType=Application\nExec=/usr/bin/tavrilux --x\n";
    EXPECT_TRUE(XdgAutostartLoginService::entryLaunches(base, exe));
    for (const std::string& entry :
         {base + "Hidden=true\n", base + "X-GNOME-Autostart-enabled=false\n",
          std::string("[Desktop Entry]\nType=Link\nExec=/usr/bin/tavrilux\n"),
          std::string("[Other]\nType=Application\nExec=/usr/bin/tavrilux\n"),
          std::string("[Desktop Entry]\nType=Application\nExec=\"/usr/bin/tavrilux\n"),
          std::string("[Desktop Entry]\nType=Application\nExec=/usr/bin/tavrilux%f\n")}) {
        EXPECT_FALSE(XdgAutostartLoginService::entryLaunches(entry, exe)) << entry;
    }
}

} // namespace
} // namespace tavrilux
