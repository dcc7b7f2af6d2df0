#include "core/localization/LocalizationManager.h"
#include "core/resources/AppIcons.h"
#include "fakes/TempDir.h"
#include "platform/linux/DirectoryResourceBundle.h"
#include "platform/linux/ResourceBundleLocator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tavrilux::linux_platform {
namespace {

namespace fs = std::filesystem;

using fakes::TempDir;
using fakes::writeFile;

TEST(DirectoryResourceBundleTest, ListsLanguageFoldersAndReadsFilesInside) {
    TempDir folder;
    const auto root = folder.path() / "Tavrilux_Tavrilux.bundle";
    writeFile(root / "fr.lproj" / "Localizable.strings", "\"quit\" = \"Quitter\";");
    fs::create_directories(root / "en.lproj");
    writeFile(root / "notes.lproj", "a file, not a language folder");
    writeFile(root / "AppIcon.png", "bytes");
    writeFile(folder.path() / "outside.txt", "secret");

    DirectoryResourceBundle bundle(root);
    EXPECT_EQ(bundle.localizations(), (std::vector<std::string>{"en", "fr"}));
    EXPECT_TRUE(bundle.exists("en.lproj"));
    EXPECT_FALSE(bundle.exists("de.lproj"));
    EXPECT_EQ(bundle.readFile("fr.lproj/Localizable.strings"), "\"quit\" = \"Quitter\";");
    EXPECT_EQ(bundle.readFile("AppIcon.png"), "bytes");
    EXPECT_EQ(bundle.readFile("en.lproj"), std::nullopt) << "a folder is not a file";
    EXPECT_EQ(bundle.readFile("en.lproj/Localizable.strings"), std::nullopt);
    EXPECT_EQ(bundle.readFile("../outside.txt"), std::nullopt);
    EXPECT_FALSE(bundle.exists("../outside.txt"));
    EXPECT_FALSE(bundle.exists("/etc"));
}

TEST(DirectoryResourceBundleTest, MissingFolderIsAnEmptyBundle) {
    DirectoryResourceBundle bundle("/nonexistent/Tavrilux_Tavrilux.bundle");
    EXPECT_TRUE(bundle.localizations().empty());
    EXPECT_FALSE(bundle.exists("en.lproj"));
}

TEST(ResourceBundleLocatorTest, PrefersTheBuildTreeThenTheInstalledPrefix) {
    TempDir folder;
    const auto prefix = folder.path() / "usr";
    const auto executable = prefix / "bin" / "tavrilux";
    fs::create_directories(executable.parent_path());
    EXPECT_EQ(ResourceBundleLocator::locate(executable), std::nullopt);

    const auto installed = prefix / "share" / "tavrilux" / "Tavrilux_Tavrilux.bundle";
    fs::create_directories(installed);
    EXPECT_EQ(ResourceBundleLocator::locate(executable), installed);

    const auto beside = prefix / "bin" / "Tavrilux_Tavrilux.bundle";
    fs::create_directories(beside);
    EXPECT_EQ(ResourceBundleLocator::locate(executable), beside);
}

// The build copies the real bundle next to this test program, as it does for the application.
TEST(ResourceBundleLocatorTest, FindsTheBundleCopiedNextToTheProgram) {
    const auto located = ResourceBundleLocator::locateForThisProcess();
    ASSERT_TRUE(located);
    EXPECT_EQ(located->filename(), "Tavrilux_Tavrilux.bundle");
    EXPECT_EQ(located->parent_path(), ResourceBundleLocator::executablePath()->parent_path());
}

TEST(ResourceBundleLocatorTest, RealBundleServesTextsAndTheIcon) {
    auto bundle = ResourceBundleLocator::openForThisProcess();
    ASSERT_FALSE(bundle->localizations().empty());
    auto defaults = std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    std::vector<std::string> preferences{"fr-BE", "en"};
    LocalizationManager manager(defaults, bundle, [&] { return preferences; });
    EXPECT_EQ(manager.localizedString("settings_tab_general"), "Général");
    preferences = {"de-CH"};
    EXPECT_EQ(manager.localizedString("settings_tab_general"), "Allgemein");
    preferences = {"ja"};
    EXPECT_EQ(manager.localizedString("settings_tab_general"), "General");

    const AppIconCache icons(bundle);
    const auto& icon = icons.appIcon();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 512);
    EXPECT_EQ(icon->height, 512);
}

} // namespace
} // namespace tavrilux::linux_platform
