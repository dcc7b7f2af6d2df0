#include "platform/linux/DesktopEntryIndex.h"

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

    fakes::TempDir folder;
    const fs::path root = folder.path();
};

TEST_F(DesktopEntryIndexTest, MatchesByStartupClassThenByIdIgnoringCase) {
    fakes::writeFile(root / "system" / "applications" / "org.example.Editor.desktop",
                     "[Desktop Entry]\nType=Application\nName=Editor\nIcon=editor\n"
                     "StartupWMClass=EdiTor-Main\n[Desktop Action new]\nName=Not this one\n");
    fakes::writeFile(root / "system" / "applications" / "viewer.desktop",
                     "[Desktop Entry]\nType=Application\nName=Viewer\nNoDisplay=true\n");
    fakes::writeFile(root / "system" / "applications" / "org" / "tool.desktop",
                     "[Desktop Entry]\nType=Application\nName=Tool\n");
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
    fakes::writeFile(root / "home" / "applications" / "viewer.desktop",
                     "[Desktop Entry]\nType=Application\nName=My Viewer\n");
    fakes::writeFile(root / "system" / "applications" / "viewer.desktop",
                     "[Desktop Entry]\nType=Application\nName=Viewer\n");
    fakes::writeFile(root / "home" / "applications" / "gone.desktop",
                     "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    fakes::writeFile(root / "system" / "applications" / "link.desktop",
                     "[Desktop Entry]\nType=Link\nName=Link\n");
    DesktopEntryIndex index({root / "home", root / "system"});
    ASSERT_NE(index.find("viewer", "Viewer"), nullptr);
    EXPECT_EQ(index.find("viewer", "Viewer")->name, "My Viewer");
    EXPECT_EQ(index.find("gone", "Gone"), nullptr);
    EXPECT_EQ(index.find("link", "Link"), nullptr);
}

TEST_F(DesktopEntryIndexTest, AUserEntryThatIsDeletedOrNoApplicationHidesTheSystemOne) {
    fakes::writeFile(root / "home" / "applications" / "viewer.desktop",
                     "[Desktop Entry]\nType=Application\nName=Viewer\nHidden=true\n");
    fakes::writeFile(root / "system" / "applications" / "viewer.desktop",
                     "[Desktop Entry]\nType=Application\nName=Viewer\n");
    fakes::writeFile(root / "home" / "applications" / "tool.desktop",
                     "[Desktop Entry]\nType=Link\n");
    fakes::writeFile(root / "system" / "applications" / "tool.desktop",
                     "[Desktop Entry]\nType=Application\nName=Tool\n");
    DesktopEntryIndex index({root / "home", root / "system"});
    EXPECT_EQ(index.find("viewer", "Viewer"), nullptr);
    EXPECT_EQ(index.find("tool", "Tool"), nullptr);
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

TEST_F(DesktopEntryIndexTest, MissingDirectoriesGiveAnEmptyIndex) {
    DesktopEntryIndex index({root / "nowhere"});
    EXPECT_EQ(index.find("a", "b"), nullptr);
}

} // namespace
} // namespace tavrilux::linux_platform
