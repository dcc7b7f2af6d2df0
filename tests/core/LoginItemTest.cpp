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

TEST_F(LoginItemTest, DevelopmentEnableWritesItsOwnEntryForThisExecutable) {
    auto item = make(BuildFlavor::development, "/work/my build/tavrilux");
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
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
}

TEST_F(LoginItemTest, DevelopmentDisableRemovesTheEntryAndWithoutOneChangesNothing) {
    auto item = make(BuildFlavor::development);
    auto nothing = item.setEnabled(false);
    ASSERT_TRUE(nothing.ok());
    EXPECT_EQ(nothing.value(), LoginItemStatus::notRegistered);
    EXPECT_EQ(files.removals, 0);

    item.setEnabled(true);
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

TEST_F(LoginItemTest, OpeningSettingsShowsTheAutostartFolder) {
    auto item = make(BuildFlavor::development);
    item.openSystemSettings();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], "/home/u/.config/autostart");
    EXPECT_TRUE(files.hasFolder("/home/u/.config/autostart"));
}

TEST_F(LoginItemTest, AutostartEntryRegistersAndReportsThisExecutable) {
    XdgAutostartLoginService autostart(files, "/home/u/.config/autostart",
                                       std::filesystem::path("/opt/tavrilux/bin/tavrilux"));
    EXPECT_EQ(autostart.status(), LoginItemStatus::notRegistered);
    MainBundleInfo bundle{BuildFlavor::packaged, "/opt/tavrilux/bin/tavrilux", "1.0"};
    LoginItem item({bundle, autostart, files, "/home/u/.config/autostart", opener});
    auto result = item.setEnabled(true);
    ASSERT_TRUE(result.ok()) << result.failure().description;
    EXPECT_EQ(result.value(), LoginItemStatus::enabled);
    EXPECT_TRUE(files.fileExists("/home/u/.config/autostart/com.mirtal.tavrilux.desktop"));
    EXPECT_FALSE(files.fileExists(devEntry));
    auto off = item.setEnabled(false);
    ASSERT_TRUE(off.ok());
    EXPECT_EQ(off.value(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(files.fileExists("/home/u/.config/autostart/com.mirtal.tavrilux.desktop"));

    XdgAutostartLoginService lost(files, "/home/u/.config/autostart", std::nullopt);
    EXPECT_EQ(lost.status(), LoginItemStatus::notFound);
    EXPECT_TRUE(lost.registerApp().has_value());
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
