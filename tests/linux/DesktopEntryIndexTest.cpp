#include "platform/linux/DesktopEntryIndex.h"
#include "platform/linux/DesktopEntryApplicationDirectory.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavrilux::linux_platform {
namespace {

namespace fs = std::filesystem;

class DesktopEntryIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "home" / "applications");
        fs::create_directories(root / "system" / "applications" / "org");
        fakes::writeFile(root / "system" / "icons" / "hicolor" / "48x48" / "apps" / "editor.png",
                         "png");
    }

    // Writes a desktop entry into the user's ("home") or the system's applications.
    void entry(const char* where, const std::string& file, const std::string& keys) {
        fakes::writeFile(root / where / "applications" / file, "[Desktop Entry]\n" + keys);
    }

    fakes::TempDir folder;
    const fs::path root = folder.path();
};

TEST_F(DesktopEntryIndexTest, MatchesByStartupClassThenByIdIgnoringCase) {
    entry("system", "org.example.Editor.desktop",
          "Type=Application\nName=Editor\nIcon=editor\n"
          "StartupWMClass=EdiTor-Main\n[Desktop Action new]\nName=Not this one\n");
    entry("system", "viewer.desktop", "Type=Application\nName=Viewer\nNoDisplay=true\n");
    entry("system", "org/tool.desktop", "Type=Application\nName=Tool\n");
    DesktopEntryIndex index({root / "home", root / "system"});

    const auto* editor = index.find("editor-main", "EdiTor-Main");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->id, "org.example.Editor");
    EXPECT_EQ(editor->name, "Editor");
    EXPECT_EQ(editor->iconPath,
              (root / "system" / "icons" / "hicolor" / "48x48" / "apps" / "editor.png").string());
    // By id, from the class or the instance, in any case; sub-folders join with '-'.
    ASSERT_NE(index.find("x", "VIEWER"), nullptr);
    EXPECT_EQ(index.find("x", "VIEWER")->iconPath, "");
    ASSERT_NE(index.find("org-tool", "Unknown"), nullptr);
    EXPECT_EQ(index.find("org-tool", "Unknown")->id, "org-tool");
    EXPECT_EQ(index.find("nothing", "Nothing"), nullptr);
    EXPECT_EQ(index.find("", ""), nullptr);
}

TEST_F(DesktopEntryIndexTest, EarlierDirectoriesHideLaterOnesAndDeletedEntriesAreSkipped) {
    entry("home", "viewer.desktop", "Type=Application\nName=My Viewer\n");
    entry("system", "viewer.desktop", "Type=Application\nName=Viewer\n");
    entry("home", "gone.desktop", "Type=Application\nName=Gone\nHidden=true\n");
    entry("system", "link.desktop", "Type=Link\nName=Link\n");
    // A user entry that is deleted or no application hides the system's one.
    entry("home", "hidden.desktop", "Type=Application\nName=Hidden\nHidden=true\n");
    entry("system", "hidden.desktop", "Type=Application\nName=Hidden\n");
    entry("home", "tool.desktop", "Type=Link\n");
    entry("system", "tool.desktop", "Type=Application\nName=Tool\n");
    DesktopEntryIndex index({root / "home", root / "system"});
    ASSERT_NE(index.find("viewer", "Viewer"), nullptr);
    EXPECT_EQ(index.find("viewer", "Viewer")->name, "My Viewer");
    for (const char* skipped : {"Gone", "Link", "Hidden", "Tool"}) {
        EXPECT_EQ(index.find("x", skipped), nullptr) << skipped;
    }
}

TEST_F(DesktopEntryIndexTest, LinkedEntriesAreNamedByTheirOwnPath) {
    // As Flatpak exports them: the listed file is a link into the package's tree.
    fakes::writeFile(root / "package" / "export" / "org.example.Flat.desktop",
                     "[Desktop Entry]\nType=Application\nName=Flat\n");
    fs::create_symlink(root / "package" / "export" / "org.example.Flat.desktop",
                       root / "system" / "applications" / "org.example.Flat.desktop");
    DesktopEntryIndex index({root / "system"});
    const auto* flat = index.find("flat", "org.example.Flat");
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->id, "org.example.Flat");
    EXPECT_EQ(flat->name, "Flat");
}

TEST_F(DesktopEntryIndexTest, DirectoryLooksUpKeysAndNoticesInstallsAndRemovals) {
    entry("system", "org.example.Editor.desktop",
          "Type=Application\nName=Editor\nIcon=editor\nStartupWMClass=editor-main\n");
    entry("system", "broken.desktop", "Name=No type\n\x01\xff garbage\n");
    const DesktopEntryApplicationDirectory directory({root / "home", root / "system"});
    const std::string icon =
        (root / "system" / "icons" / "hicolor" / "48x48" / "apps" / "editor.png").string();
    EXPECT_EQ(directory.application("org.example.editor"), (InstalledApplication{"Editor", icon}));
    EXPECT_EQ(directory.application("editor-main"), (InstalledApplication{"Editor", icon}));
    EXPECT_FALSE(directory.application("broken"));
    EXPECT_FALSE(directory.application(""));
    EXPECT_FALSE(directory.application("viewer"));

    entry("home", "viewer.desktop", "Type=Application\nName=Viewer\n");
    EXPECT_EQ(directory.application("viewer"), (InstalledApplication{"Viewer", ""}));
    fs::remove(root / "system" / "applications" / "org.example.Editor.desktop");
    EXPECT_FALSE(directory.application("editor-main"));
}

} // namespace
} // namespace tavrilux::linux_platform
