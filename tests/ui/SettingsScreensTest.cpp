#include "ScreenReading.h"
#include "SettingsHarness.h"

#include "core/settings/SettingsKeys.h"
#include "fakes/FakeUpdaterController.h"
#include "ui/components/SecondaryButtonStyle.h"
#include "ui/components/SettingsActionRow.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/SymbolIcon.h"
#include "ui/foundation/Symbols.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/ToggleRow.h"
#include "ui/settings/AboutTab.h"
#include "ui/settings/CheckRow.h"
#include "ui/settings/ContentView.h"
#include "ui/settings/ExclusionListRow.h"
#include "ui/settings/ExclusionsTab.h"
#include "ui/settings/GeneralTab.h"
#include "ui/settings/LinkButton.h"
#include "ui/settings/SidebarRow.h"
#include "ui/settings/VersionText.h"

#include <QScrollArea>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <future>

namespace tavrilux::ui {
namespace {

using testing::settle;
using testing::waitFor;

template <typename T> QList<T*> rowsIn(SettingsGroupCard* card) {
    return card->findChildren<T*>(QString(), Qt::FindDirectChildrenOnly);
}

TEST(ContentViewTest, SidebarAndContentFollowTheSelectedTabBothWays) {
    testing::SettingsModel model;
    ContentView view(model.context, model.services);
    view.show();
    ASSERT_EQ(view.sidebarRows().size(), 3u);
    // The tab shown, and that it alone is selected in the sidebar.
    const auto shows = [&](SettingsTab tab) {
        settle();
        return view.shownTab() == tab &&
               std::count_if(view.sidebarRows().begin(), view.sidebarRows().end(), [&](auto* row) {
                   return row->isSelected() != (row->tab() == tab);
               }) == 0;
    };
    EXPECT_TRUE(shows(SettingsTab::general));
    QTest::mouseClick(view.sidebarRows()[1], Qt::LeftButton);
    EXPECT_TRUE(shows(SettingsTab::exclusions));
    EXPECT_EQ(model.navigation.selectedTab.get(), SettingsTab::exclusions);
    EXPECT_NE(qobject_cast<ExclusionsTab*>(view.tabContent()), nullptr);

    model.navigation.selectedTab.set(SettingsTab::about);
    EXPECT_TRUE(shows(SettingsTab::about));
    QWidget* about = view.tabContent();
    EXPECT_NE(qobject_cast<AboutTab*>(about), nullptr);
    model.navigation.selectedTab.set(SettingsTab::about);
    EXPECT_TRUE(shows(SettingsTab::about));
    EXPECT_EQ(view.tabContent(), about) << "the same tab keeps its view";

    // Approved meanwhile: coming back reads the login item again.
    model.loginService.setStatus(LoginItemStatus::enabled);
    model.navigation.selectedTab.set(SettingsTab::general);
    EXPECT_TRUE(shows(SettingsTab::general));
    auto* general = qobject_cast<GeneralTab*>(view.tabContent());
    ASSERT_TRUE(testing::answered(general));
    EXPECT_TRUE(general->checkRow()->isOn());

    for (int asked : {100, 200, 400}) {
        view.splitter()->setSizes({asked, 900});
        EXPECT_EQ(view.sidebar()->width(), std::clamp(asked, 180, 240));
    }
}

TEST(GeneralTabTest, TheBoxShowsTheAutostartEntryEveryTimeTheTabShows) {
    ASSERT_TRUE(testing::installEnglish());
    testing::SettingsModel model;
    // A development build, whose entry is a file the test edits as the desktop's settings do.
    const std::filesystem::path entry = "/home/ann/.config/autostart/com.mirtal.tavrilux.dev.desktop";
    BackgroundLoginItem loginItem(std::make_shared<LoginItem>(LoginItem::Environment{
        MainBundleInfo{BuildFlavor::development, "/home/ann/src/tavrilux", std::nullopt},
        model.loginService, model.files, "/home/ann/.config/autostart", model.opener}));
    GeneralTab tab(model.context, loginItem);
    const auto reshown = [&] {
        tab.hide();
        tab.show();
        EXPECT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
        EXPECT_FALSE(tab.approvalLink()->isVisible()) << "never asked for here";
        return tab.checkRow()->isOn();
    };
    EXPECT_FALSE(reshown());
    EXPECT_TRUE(testing::drawnTexts(tab).join(' ').contains("Alt Super O")) << "the key caps";
    // The title is part of the click target.
    QTest::mouseClick(tab.checkRow(), Qt::LeftButton, {},
                      QPoint(tab.checkRow()->width() - 4, tab.checkRow()->height() / 2));
    ASSERT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
    ASSERT_TRUE(tab.checkRow()->isOn());
    const std::string written = model.files.content(entry).value_or("");
    std::string disabled = written;
    disabled.replace(disabled.find("enabled=true"), 12, "enabled=false");
    for (const std::string& edited : {written + "Hidden=true\n", disabled, std::string()}) {
        model.files.put(entry, edited);
        if (edited.empty()) {
            model.files.removeFile(entry);
        }
        EXPECT_FALSE(reshown()) << edited;
        model.files.put(entry, written);
        EXPECT_TRUE(reshown());
    }

    model.files.failWrites = true;
    ::testing::internal::CaptureStdout();
    tab.checkRow()->click(); // off: removes the entry
    tab.checkRow()->click(); // on again while that runs: written when it is done, and refused
    ASSERT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "LoginItem.setEnabled(true) failed: write refused\n");
    EXPECT_FALSE(tab.checkRow()->isOn());
}

TEST(GeneralTabTest, ASlowServiceShowsTheLastKnownStateAndKeepsTheClickForItsAnswer) {
    testing::SettingsModel model;
    model.loginService.setStatus(LoginItemStatus::enabled);
    {
        GeneralTab first(model.context, model.loginItem);
        first.show();
        ASSERT_TRUE(waitFor([&] { return !first.isWaiting(); }));
    }
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    model.loginService.onCall = [released] { released.wait(); };
    auto gone = std::make_unique<GeneralTab>(model.context, model.loginItem);
    gone->show();
    GeneralTab tab(model.context, model.loginItem); // built anew while the service hangs
    tab.show();
    EXPECT_TRUE(tab.isWaiting());
    EXPECT_TRUE(tab.checkRow()->isOn()) << "the last known state";
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(tab.checkRow(), Qt::LeftButton);
    }
    EXPECT_FALSE(tab.checkRow()->isOn()) << "each click shows at once";
    EXPECT_TRUE(tab.checkRow()->isEnabled());
    gone.reset(); // its answer has nowhere to go

    release.set_value();
    ASSERT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
    EXPECT_EQ(model.loginService.unregisterCalls, 1) << "the last click, carried out";
    EXPECT_EQ(model.loginService.registerCalls, 0);
    EXPECT_FALSE(tab.checkRow()->isOn());
}

TEST(ExclusionRowsTest, PlainStringOrderAndLookUpsOfEveryKind) {
    fakes::FakeApplicationDirectory directory;
    directory.installed["org.gnome.Nautilus"] = {"Files", "/icons/files.svg"};
    const auto apps =
        excludedApps({"org.gnome.Nautilus", "Zed", "zed", "éditeur", "Alpha"}, directory);
    std::vector<std::string> keys;
    for (const auto& app : apps) {
        keys.push_back(app.key);
    }
    EXPECT_EQ(keys,
              (std::vector<std::string>{"Alpha", "Zed", "org.gnome.Nautilus", "zed", "éditeur"}));
    EXPECT_EQ(apps[2].installed, (InstalledApplication{"Files", "/icons/files.svg"}));
    EXPECT_FALSE(apps[0].installed);

    fakes::FakeDesktop desktop;
    desktop.addScreen(1, Rect{0, 0, 1280, 800}, "AAAA-1");
    desktop.addScreen(std::nullopt, Rect{1280, 0, 1280, 800}); // no number: the main display's
    desktop.addScreen(5, Rect{2560, 0, 1280, 800});            // no UUID: its number
    desktop.setMainDisplayID(1);
    EXPECT_EQ(excludedDisplays({"AAAA-1", "5", "1", "BBBB-2"}, desktop),
              (std::vector<ExcludedDisplay>{{"1", std::nullopt},
                                            {"5", "screen-3"},
                                            {"AAAA-1", "screen-1"},
                                            {"BBBB-2", std::nullopt}}));
}

TEST(ExclusionsTabTest, RowsFollowTheSettingsLiveAndRemoveOneAtATime) {
    testing::SettingsModel model;
    model.applications.installed["editor"] = {"Editor", "/nonexistent/editor.png"};
    ExclusionsTab tab(model.context, model.applications);
    tab.setFixedWidth(460);
    tab.show();
    EXPECT_TRUE(rowsIn<ExclusionListRow>(tab.appsCard()).empty());
    EXPECT_TRUE(rowsIn<ExclusionListRow>(tab.displaysCard()).empty());
    EXPECT_EQ(rowsIn<QWidget>(tab.appsCard()).size(), 1u) << "the empty state";

    const std::string longKey = "3F2A9C1E" + std::string(100, '0') + "DE11";
    for (const char* key : {"zed", "editor", "Alpha"}) {
        model.settings->toggleExclusion(key); // as the quick panel does
    }
    model.settings->toggleDisplayExclusion(longKey);
    settle();
    settle(); // the new rows' layout
    auto apps = rowsIn<ExclusionListRow>(tab.appsCard());
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(rowsIn<QWidget>(tab.appsCard()).size(), 5u) << "two dividers, none after the last";
    EXPECT_EQ(tab.appRows()[1].key, "editor");
    EXPECT_EQ(tab.appRows()[1].installed->name, "Editor") << "its icon does not decode";

    auto displays = rowsIn<ExclusionListRow>(tab.displaysCard());
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_LE(displays[0]->minimumSizeHint().width(), tab.width())
        << "a long key is cut to fit, not widening the window";
    const QStringList drawn = testing::drawnTexts(*displays[0]);
    EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [](const QString& key) {
        return key.startsWith("3F2A") && key.endsWith("DE11") && key.contains(QChar(0x2026));
    })) << "cut in the middle: " << drawn.join(", ").toStdString();
    // Unplugged, it shows the display with a warning on its corner; the monitor stays whole.
    SymbolIcon connected(symbolName("display"), 23, FontWeight::medium,
                         UiColor::theme(TavriluxTheme::secondaryText));
    connected.setFixedSize(32, 32);
    const QImage whole = testing::render(connected, Appearance::light);
    const QImage unplugged =
        testing::render(*displays[0]->findChild<SymbolIcon*>(), Appearance::light);
    const auto differing = [&](const QRect& part) {
        int count = 0;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x) {
                count += testing::colourDistance(whole.pixel(x, y), unplugged.pixel(x, y)) > 40;
            }
        }
        return count;
    };
    EXPECT_EQ(differing(QRect(0, 0, 20, 20)), 0) << "not crossed out";
    EXPECT_GT(differing(QRect(20, 20, 12, 12)), 20) << "the warning";

    QTest::mouseClick(apps[1]->removeButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(model.settings->excludedBundleIDs.get(), (std::set<std::string>{"Alpha", "zed"}));
    EXPECT_EQ(rowsIn<ExclusionListRow>(tab.appsCard()).size(), 2u);
    QTest::mouseClick(displays[0]->removeButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(model.settings->excludedDisplayUUIDs.get().empty());
    EXPECT_TRUE(rowsIn<ExclusionListRow>(tab.displaysCard()).empty());
    EXPECT_EQ(rowsIn<ExclusionListRow>(tab.appsCard()).size(), 2u) << "the other list stays";
}

TEST(ContentViewTest, APaneTallerThanTheWindowScrollsWithoutAScrollBar) {
    testing::SettingsModel model;
    for (int i = 0; i < 8; ++i) {
        model.settings->toggleExclusion("org.example.App" + std::to_string(i));
    }
    model.navigation.selectedTab.set(SettingsTab::exclusions);
    ContentView view(model.context, model.services);
    view.resize(ContentView::kMinimumWidth, ContentView::kMinimumHeight);
    const QImage atRest = testing::render(view, Appearance::light);
    for (int y = 0; y < view.height(); ++y) { // the right edge is the pane's background alone
        EXPECT_EQ(atRest.pixel(view.width() - 4, y), atRest.pixel(view.width() - 4, 0)) << y;
    }
    auto* pane = view.findChild<QScrollArea*>();
    testing::expectScrollsWithoutScrollBar(*pane);
    const int before = pane->verticalScrollBar()->value();
    QTest::keyClick(pane, Qt::Key_PageDown);
    EXPECT_GT(pane->verticalScrollBar()->value(), before) << "and by keyboard";
}

TEST(AboutTabTest, SwitchesShowWhatIsStoredAndCheckNowFollowsTheService) {
    testing::installStrings("\"version_format\" = \"Version %@\";");
    EXPECT_EQ(versionText("1.2.0"), "Version 1.2.0");
    EXPECT_EQ(versionText(std::nullopt), "Version dev");

    testing::SettingsModel model;
    {
        AboutTab tab(model.context, std::nullopt); // no update controller
        tab.show();
        tab.automaticUpdatesRow()->toggle()->click();
        settle();
        EXPECT_FALSE(tab.automaticUpdatesRow()->isOn());
        EXPECT_FALSE(tab.automaticUpdatesRow()->isEnabled()) << "shown as doing nothing";
        EXPECT_FALSE(tab.checkNowRow()->isEnabled());
    }

    fakes::FakeUpdaterController* controller = nullptr;
    UpdaterManager updater(BuildFlavor::packaged, [&](UpdaterDelegate& delegate) {
        auto made = std::make_unique<fakes::FakeUpdaterController>(delegate);
        controller = made.get();
        return made;
    });
    const UiContext& c = model.context;
    UiContext withController{c.settings,         updater,   c.navigation,  c.localization,
                             c.standardDefaults, c.screens, c.applications};
    AboutTab tab(withController, "1.2.0");
    tab.show();
    EXPECT_TRUE(tab.automaticUpdatesRow()->isEnabled());
    tab.automaticUpdatesRow()->toggle()->click();
    settle();
    EXPECT_TRUE(controller->automaticDownloads);
    EXPECT_TRUE(tab.automaticUpdatesRow()->isOn());
    EXPECT_FALSE(tab.checkNowRow()->isEnabled());
    controller->canCheck.set(true);
    settle();
    ASSERT_TRUE(tab.checkNowRow()->isEnabled()) << "without reopening";
    emit tab.checkNowRow()->triggered();
    EXPECT_EQ(controller->checkCalls, 1);

    int sent = 0;
    auto subscription = model.settings->configurationChangesSubject.subscribe(
        [&](const DimmingConfiguration&) { ++sent; });
    tab.crashReportingRow()->toggle()->click();
    settle();
    EXPECT_EQ(model.suite->boolValue(SettingsKeys::crashReportingEnabled), false);
    EXPECT_FALSE(tab.crashReportingRow()->isOn());
    EXPECT_EQ(sent, 0);
}

} // namespace
} // namespace tavrilux::ui
