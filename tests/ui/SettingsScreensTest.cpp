#include "ScreenReading.h"
#include "SettingsHarness.h"

#include "core/settings/SettingsKeys.h"
#include "fakes/FakeUpdaterController.h"
#include "ui/components/SecondaryButtonStyle.h"
#include "ui/components/SettingsActionRow.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/SymbolIcon.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/ToggleRow.h"
#include "ui/foundation/Symbols.h"
#include "ui/settings/AboutPanelView.h"
#include "ui/settings/AboutTab.h"
#include "ui/settings/CheckRow.h"
#include "ui/settings/ContentView.h"
#include "ui/settings/ExclusionListRow.h"
#include "ui/settings/ExclusionsTab.h"
#include "ui/settings/GeneralTab.h"
#include "ui/settings/LinkButton.h"
#include "ui/settings/SidebarRow.h"
#include "ui/settings/VersionText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

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
    for (int i = 0; i < 8; ++i) {
        model.settings->toggleExclusion("org.example.App" + std::to_string(i));
    }
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

    for (int asked : {100, 200, 400}) {
        view.splitter()->setSizes({asked, 900});
        EXPECT_EQ(view.sidebar()->width(), std::clamp(asked, 180, 240));
    }

    // Eight excluded applications in the smallest window: the pane scrolls without a scroll bar.
    model.navigation.selectedTab.set(SettingsTab::exclusions);
    view.resize(ContentView::kMinimumWidth, ContentView::kMinimumHeight);
    for (int pass = 0; pass < 4; ++pass) { // a pass of the event loop for each nested layout
        EXPECT_TRUE(shows(SettingsTab::exclusions));
    }
    auto* pane = view.findChild<QScrollArea*>();
    testing::expectScrollsWithoutScrollBar(*pane);
    const int before = pane->verticalScrollBar()->value();
    QTest::keyClick(pane, Qt::Key_PageDown);
    EXPECT_GT(pane->verticalScrollBar()->value(), before) << "and by keyboard";
}

TEST(ContentViewTest, PageKeysHomeAndEndScrollThePaneWhereverTheFocusIs) {
    testing::SettingsModel model;
    for (int i = 0; i < 20; ++i) {
        model.settings->toggleExclusion("org.example.App" + std::to_string(i));
    }
    model.navigation.selectedTab.set(SettingsTab::exclusions);
    ContentView view(model.context, model.services);
    view.resize(ContentView::kMinimumWidth, ContentView::kMinimumHeight);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    auto* pane = view.findChild<QScrollArea*>();
    QScrollBar* bar = pane->verticalScrollBar();
    ASSERT_TRUE(waitFor([&] {
        settle();
        return bar->maximum() > bar->pageStep();
    })) << "more than two pages of content";
    const int bottom = bar->maximum();
    // The key goes where the keyboard sends it: to the focused widget.
    const auto press = [&](Qt::Key key) {
        QWidget* focused = QApplication::focusWidget();
        EXPECT_NE(focused, nullptr);
        QTest::keyClick(focused, key);
        return bar->value();
    };

    EXPECT_NE(QApplication::focusWidget(), nullptr) << "the shown window focuses something";
    EXPECT_GT(press(Qt::Key_PageDown), 0) << "as the window opened";

    QWidget* remove = view.tabContent()->findChildren<QAbstractButton*>().value(0);
    ASSERT_NE(remove, nullptr);
    QWidget* sidebarRow = view.sidebarRows()[0];
    for (QWidget* focus : {remove, static_cast<QWidget*>(pane), sidebarRow}) {
        const QString name = focus->metaObject()->className();
        bar->setValue(0);
        focus->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focus) << name.toStdString();
        const int page = press(Qt::Key_PageDown);
        EXPECT_GT(page, 0) << name.toStdString();
        EXPECT_LT(page, bottom) << name.toStdString();
        EXPECT_EQ(press(Qt::Key_End), bottom) << name.toStdString();
        EXPECT_EQ(press(Qt::Key_PageDown), bottom) << "stays at the end: " << name.toStdString();
        EXPECT_LT(press(Qt::Key_PageUp), bottom) << name.toStdString();
        EXPECT_EQ(press(Qt::Key_Home), 0) << name.toStdString();
        EXPECT_EQ(press(Qt::Key_PageUp), 0) << "stays at the top: " << name.toStdString();
    }
}

TEST(GeneralTabTest, TheBoxShowsWhatTheLoginServiceReports) {
    struct Case {
        LoginItemStatus before;
        LoginItemStatus afterRegister;
        std::optional<ServiceFailure> failure;
        bool on;
        bool link;
    };
    const Case cases[] = {
        {LoginItemStatus::notRegistered, LoginItemStatus::requiresApproval, std::nullopt, false,
         true},
        {LoginItemStatus::notFound, LoginItemStatus::enabled, std::nullopt, true, false},
        {LoginItemStatus::requiresApproval, LoginItemStatus::enabled,
         ServiceFailure{"the session bus is gone"}, false, false},
    };
    for (const Case& c : cases) {
        testing::SettingsModel model;
        model.loginService.setStatus(c.before);
        model.loginService.statusAfterRegister = c.afterRegister;
        model.loginService.failure = c.failure;
        GeneralTab tab(model.context, model.loginItem);
        tab.show();
        ASSERT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
        EXPECT_EQ(tab.approvalLink()->isVisible(), c.before == LoginItemStatus::requiresApproval);
        ::testing::internal::CaptureStdout();
        // The title is part of the click target.
        QTest::mouseClick(tab.checkRow(), Qt::LeftButton, {},
                          QPoint(tab.checkRow()->width() - 4, tab.checkRow()->height() / 2));
        ASSERT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(model.loginService.registerCalls, 1);
        EXPECT_EQ(tab.checkRow()->isOn(), c.on);
        EXPECT_EQ(tab.approvalLink()->isVisible(), c.link);
        EXPECT_EQ(out,
                  c.failure ? "LoginItem.setEnabled(true) failed: the session bus is gone\n" : "");
        if (c.link) {
            QTest::mouseClick(tab.approvalLink(), Qt::LeftButton);
            ASSERT_TRUE(waitFor([&] { return !model.opener.opened.empty(); }));
            EXPECT_EQ(model.opener.opened.front(), "/home/ann/.config/autostart");
        }
        if (c.on) {
            QTest::mouseClick(tab.checkRow(), Qt::LeftButton);
            ASSERT_TRUE(waitFor([&] { return !tab.isWaiting(); }));
            EXPECT_EQ(model.loginService.unregisterCalls, 1);
            EXPECT_FALSE(tab.checkRow()->isOn());
        }
    }
}

TEST(GeneralTabTest, TheBoxShowsTheLoginItemEachTimeItShowsAndKeepsAClickMadeWhileItAsks) {
    testing::SettingsModel model;
    auto tab = std::make_unique<GeneralTab>(model.context, model.loginItem);
    // Changed outside meanwhile (the entry hidden, switched off or removed, or written again).
    const auto reshown = [&](LoginItemStatus status) {
        model.loginService.setStatus(status);
        tab->hide();
        tab->show();
        EXPECT_TRUE(waitFor([&] { return !tab->isWaiting(); }));
        return tab->checkRow()->isOn();
    };
    EXPECT_TRUE(reshown(LoginItemStatus::enabled));
    EXPECT_FALSE(reshown(LoginItemStatus::notRegistered));
    model.loginService.failure = ServiceFailure{"the session bus is gone"};
    ::testing::internal::CaptureStdout();
    // The title is part of the click target.
    QTest::mouseClick(tab->checkRow(), Qt::LeftButton, {},
                      QPoint(tab->checkRow()->width() - 4, tab->checkRow()->height() / 2));
    ASSERT_TRUE(waitFor([&] { return !tab->isWaiting(); }));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "LoginItem.setEnabled(true) failed: the session bus is gone\n");
    EXPECT_FALSE(tab->checkRow()->isOn());
    model.loginService.failure.reset();
    EXPECT_TRUE(reshown(LoginItemStatus::enabled));

    // A service that hangs: a tab built meanwhile shows the last known state at once.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    model.loginService.onCall = [released] { released.wait(); };
    tab->hide();
    tab->show(); // its answer comes after it is gone
    tab = std::make_unique<GeneralTab>(model.context, model.loginItem);
    tab->show();
    EXPECT_TRUE(tab->isWaiting());
    EXPECT_TRUE(tab->checkRow()->isOn()) << "the last known state";
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(tab->checkRow(), Qt::LeftButton);
    }
    EXPECT_FALSE(tab->checkRow()->isOn()) << "each click shows at once";
    release.set_value();
    ASSERT_TRUE(waitFor([&] { return !tab->isWaiting(); }));
    EXPECT_EQ(model.loginService.unregisterCalls, 1) << "the last click, carried out";
    EXPECT_FALSE(tab->checkRow()->isOn());
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
    EXPECT_GE(testing::drawnTexts(*displays[0])
                  .indexOf(QRegularExpression(QString::fromUtf8("^3F2A9C1E0+\u20260+DE11$"))),
              0)
        << "cut in the middle";
    // Unplugged, it shows the display with a warning on its corner; the monitor stays whole.
    SymbolIcon connected(symbolName("display"), 23, FontWeight::medium,
                         UiColor::theme(TavriluxTheme::secondaryText));
    connected.setFixedSize(32, 32);
    const QImage whole = testing::render(connected, Appearance::light);
    const QImage unplugged =
        testing::render(*displays[0]->findChild<SymbolIcon*>(), Appearance::light);
    const auto inkIn = [&](const QImage& image, QRect part) {
        return testing::inkMass(image, part, image.pixel(0, 0)) /
               double(testing::inkMass(whole, part, whole.pixel(0, 0)));
    };
    EXPECT_NEAR(inkIn(unplugged, QRect(0, 0, 16, 16)), 1, 0.05) << "not crossed out";
    EXPECT_GT(inkIn(unplugged, QRect(16, 16, 16, 16)), 1.2) << "the warning";

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

TEST(AboutTabTest, SwitchesShowWhatIsStoredAndCheckNowFollowsTheService) {
    // The version line: the release version in the table's text, "dev" without one.
    testing::installStrings("\"version_format\" = \"Version %@\";");
    EXPECT_EQ(versionText("1.2.0"), "Version 1.2.0");
    EXPECT_EQ(versionText(std::nullopt), "Version dev");
    const auto versionLines = [](QWidget& view) {
        view.resize(view.sizeHint().expandedTo(QSize(500, 300)));
        return testing::drawnTexts(view).filter(QRegularExpression("^Version "));
    };
    AboutPanelView released("1.2.0");
    EXPECT_EQ(versionLines(released), QStringList{"Version 1.2.0"});
    AboutPanelView development(std::nullopt);
    EXPECT_EQ(versionLines(development), QStringList{"Version dev"});

    testing::SettingsModel model;
    {
        AboutTab tab(model.context, std::nullopt); // a development build: no update controller
        tab.show();
        EXPECT_EQ(versionLines(tab), QStringList{"Version dev"});
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
    EXPECT_EQ(versionLines(tab), QStringList{"Version 1.2.0"});
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
