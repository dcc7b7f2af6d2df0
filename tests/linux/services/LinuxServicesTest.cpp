#include "core/services/LoginItem.h"
#include "core/services/XdgAutostartLoginService.h"
#include "fakes/FakeSystemOpener.h"
#include "fakes/TempDir.h"
#include "platform/linux/DmiPlatformIdentifiers.h"
#include "platform/linux/FileText.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/ProcessBundle.h"
#include "platform/linux/XdgOpener.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tavrilux {
namespace {

using fakes::TempDir;
using linux_platform::LinuxFileSystem;

std::string slurp(const std::filesystem::path& file) {
    return linux_platform::readFileText(file).value_or("");
}

class LinuxLoginItemTest : public ::testing::Test {
protected:
    LoginItem make(BuildFlavor flavor, const std::filesystem::path& executable) {
        MainBundleInfo bundle{flavor, executable, std::nullopt};
        return LoginItem({bundle, autostart, files, configHome / "autostart", opener});
    }

    TempDir home;
    std::filesystem::path configHome = home / ".config";
    LinuxFileSystem files;
    fakes::FakeSystemOpener opener;
    XdgAutostartLoginService autostart{files, configHome / "autostart",
                                       std::filesystem::path("/opt/tavrilux/bin/tavrilux")};
};

// Each build has an entry of its own, which starts that build's executable.
TEST_F(LinuxLoginItemTest, EachBuildWritesOnlyItsOwnAutostartEntry) {
    const struct {
        BuildFlavor flavor;
        std::filesystem::path exe;
        const char *entry, *other;
    } cases[] = {{BuildFlavor::development, "/srv/dev test/build/tavrilux",
                  "com.mirtal.tavrilux.dev.desktop", "com.mirtal.tavrilux.desktop"},
                 {BuildFlavor::packaged, "/opt/tavrilux/bin/tavrilux",
                  "com.mirtal.tavrilux.desktop", "com.mirtal.tavrilux.dev.desktop"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        auto item = make(c.flavor, c.exe);
        EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
        auto result = item.setEnabled(true);
        ASSERT_TRUE(result.ok()) << result.failure().description;
        EXPECT_EQ(result.value(), LoginItemStatus::enabled);
        const auto entry = configHome / "autostart" / c.entry;
        EXPECT_EQ(slurp(entry), "[Desktop Entry]\nType=Application\nName=Tavrilux\nExec=\"" +
                                    c.exe.string() + "\"\nX-GNOME-Autostart-enabled=true\n");
        struct stat info {};
        ASSERT_EQ(::stat(entry.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0644u);
        EXPECT_FALSE(std::filesystem::exists(configHome / "autostart" / c.other));
        EXPECT_FALSE(std::filesystem::exists(home / "Library")) << "no launch agent";

        // The user switches it off in the desktop's own settings.
        std::ofstream(entry, std::ios::app) << "Hidden=true\n";
        EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
        ASSERT_TRUE(item.setEnabled(true).ok());
        EXPECT_EQ(item.status(), LoginItemStatus::enabled);
        ASSERT_TRUE(item.setEnabled(false).ok());
        EXPECT_FALSE(std::filesystem::exists(entry));
        EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    }
    make(BuildFlavor::packaged, "/opt/tavrilux/bin/tavrilux").openSystemSettings();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], configHome / "autostart");
}

TEST(XdgOpenerTest, HandsTheFolderOverVerbatimWithoutAShell) {
    TempDir folder;
    const auto script = folder / "fake-xdg-open";
    const auto output = folder / "argument";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << output.string() << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string awkward = (folder / "a b; touch pwned $(touch pwned2) `x`").string();

    const int pid = linux_platform::XdgOpener::spawn(script.string(), awkward);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(slurp(output), awkward);
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_FALSE(std::filesystem::exists(folder / "pwned2"));
    EXPECT_EQ(linux_platform::XdgOpener::spawn((folder / "missing").string(), "/"), -1);
}

// The program runs with SIGTERM and SIGINT blocked on every thread (they are taken by sigwait),
// and may ignore others; a file manager started from it must not inherit either, or it could not
// be ended at logout.
TEST(XdgOpenerTest, TheOpenedProgramStartsWithDefaultSignals) {
    TempDir folder;
    const auto script = folder / "fake-xdg-open";
    const auto output = folder / "signals";
    std::ofstream(script) << "#!/bin/sh\nexec grep -E '^Sig(Blk|Ign)' /proc/self/status > '"
                          << output.string() << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    sigset_t termination;
    sigemptyset(&termination);
    sigaddset(&termination, SIGTERM);
    sigaddset(&termination, SIGINT);
    sigset_t previousMask;
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &termination, &previousMask), 0);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousHup {};
    ASSERT_EQ(sigaction(SIGHUP, &ignore, &previousHup), 0);
    const int pid = linux_platform::XdgOpener::spawn(script.string(), folder.path().string());
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    sigaction(SIGHUP, &previousHup, nullptr);

    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    // The standard signals (1 to 31); the C library reserves the first real-time ones.
    auto standard = [](const std::string& report, const std::string& field) {
        const auto at = report.find(field + ":\t");
        return at == std::string::npos
                   ? ~0ULL
                   : std::stoull(report.substr(at + field.size() + 2, 16), nullptr, 16) &
                         0x7FFFFFFFULL;
    };
    const std::string report = slurp(output);
    EXPECT_EQ(standard(report, "SigBlk"), 0u) << report;
    EXPECT_EQ(standard(report, "SigIgn"), 0u) << report;
}

// A fresh machine has only what packages.txt lists, so the opener's program must come from one of
// those packages.
TEST(XdgOpenerTest, ItsProgramComesFromAListedPackage) {
    const std::string lookUp = "dpkg -S \"$(command -v xdg-open)\" | cut -d: -f1 | grep -qxFf - '";
    EXPECT_EQ(std::system((lookUp + TAVRILUX_SOURCE_DIR "/packages.txt'").c_str()), 0)
        << "xdg-open is not installed, or its package is missing from packages.txt";
}

TEST(DmiPlatformIdentifiersTest, ReadsRealValuesAndIgnoresPlaceholders) {
    TempDir folder;
    linux_platform::DmiPlatformIdentifiers dmi(folder.path());
    EXPECT_FALSE(dmi.stringProperty("IOPlatformUUID").has_value()) << "unreadable is missing";
    std::ofstream(folder / "product_uuid") << "4c4c4544-0042-3510-8052-b4c04f4e4d32\n";
    std::ofstream(folder / "product_serial") << "Not Specified\n";
    EXPECT_EQ(dmi.stringProperty("IOPlatformUUID"), "4c4c4544-0042-3510-8052-b4c04f4e4d32");
    EXPECT_FALSE(dmi.stringProperty("IOPlatformSerialNumber").has_value());
    EXPECT_FALSE(dmi.stringProperty("SomethingElse").has_value());
    for (const char* placeholder :
         {"00000000-0000-0000-0000-000000000000", "   ", "0", "To Be Filled By O.E.M.",
          "ffffffff-ffff-ffff-ffff-ffffffffffff"}) {
        std::ofstream(folder / "product_uuid", std::ios::trunc) << placeholder << "\n";
        EXPECT_FALSE(dmi.stringProperty("IOPlatformUUID").has_value()) << placeholder;
    }
}

TEST(ProcessBundleTest, InstalledPrefixWithResourcesIsPackaged) {
    TempDir prefix;
    std::filesystem::create_directories(prefix / "bin");
    const auto exe = prefix / "bin/tavrilux";
    auto dev = linux_platform::ProcessBundle::forExecutable(exe, "1.2.3");
    EXPECT_EQ(dev.flavor, BuildFlavor::development);
    EXPECT_FALSE(dev.shortVersion.has_value());

    std::filesystem::create_directories(prefix / "share/tavrilux/Tavrilux_Tavrilux.bundle");
    auto packaged = linux_platform::ProcessBundle::forExecutable(exe, "1.2.3");
    EXPECT_EQ(packaged.flavor, BuildFlavor::packaged);
    EXPECT_EQ(packaged.shortVersion, "1.2.3");
    EXPECT_EQ(packaged.executablePath, exe);

    EXPECT_EQ(linux_platform::ProcessBundle::forExecutable(prefix / "tavrilux", "1").flavor,
              BuildFlavor::development);
    EXPECT_EQ(linux_platform::ProcessBundle::forExecutable(std::nullopt, "1").flavor,
              BuildFlavor::development);

    auto self = linux_platform::ProcessBundle::current();
    ASSERT_TRUE(self.executablePath.has_value());
    EXPECT_EQ(self.executablePath->filename(), "tavrilux_services_linux_tests");
    EXPECT_EQ(self.flavor, BuildFlavor::development);
}

} // namespace
} // namespace tavrilux
