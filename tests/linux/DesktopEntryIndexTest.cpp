#include "platform/linux/DesktopEntryIndex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tavrilux::linux_platform {
namespace {

namespace fs = std::filesystem;

class DesktopEntryIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavrilux-entries-XXXXXX";
        root = ::mkdtemp(pattern);
        fs::create_directories(root / "home" / "applications");
        fs::create_directories(root / "system" / "applications" / "org");
        fs::create_directories(root / "system" / "icons" / "hicolor" / "48x48" / "apps");
        std::ofstream(root / "system" / "icons" / "hicolor" / "48x48" / "apps" / "editor.png")
            << "png";
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

    fs::path root;
};

TEST_F(DesktopEntryIndexTest, MatchesByStartupClassThenByIdIgnoringCase) {
    write(root / "system" / "applications" / "org.example.Editor.desktop",
          "[Desktop Entry]\nType=Application\nName=Editor\nIcon=editor\n"
          "StartupWMClass=EdiTor-Main\n[Desktop Action new]\nName=Not this one\n");
    write(root / "system" / "applications" / "viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=Viewer\nNoDisplay=true\n");
    write(root / "system" / "applications" / "org" / "tool.desktop",
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
    write(root / "home" / "applications" / "viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=My Viewer\n");
    write(root / "system" / "applications" / "viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=Viewer\n");
    write(root / "home" / "applications" / "gone.desktop",
          "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    write(root / "system" / "applications" / "link.desktop",
          "[Desktop Entry]\nType=Link\nName=Link\n");
    DesktopEntryIndex index({root / "home", root / "system"});
    ASSERT_NE(index.find("viewer", "Viewer"), nullptr);
    EXPECT_EQ(index.find("viewer", "Viewer")->name, "My Viewer");
    EXPECT_EQ(index.find("gone", "Gone"), nullptr);
    EXPECT_EQ(index.find("link", "Link"), nullptr);
}

TEST_F(DesktopEntryIndexTest, MissingDirectoriesGiveAnEmptyIndex) {
    DesktopEntryIndex index({root / "nowhere"});
    EXPECT_EQ(index.find("a", "b"), nullptr);
}

} // namespace
} // namespace tavrilux::linux_platform
