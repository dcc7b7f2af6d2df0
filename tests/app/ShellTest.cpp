#include "app/AppDelegate.h"
#include "app/PopoverPlacement.h"
#include "app/SingleInstanceGuard.h"
#include "app/StatusBarController.h"
#include "app/StatusGlyph.h"
#include "core/defaults/DomainStorage.h"
#include "fakes/FakeGlobalClickMonitor.h"
#include "fakes/FakeGlobalHotKey.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/TempDir.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <fstream>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

namespace tavrilux {
namespace {

// A status item over the fakes, whose panels note the actions they are given.
struct StatusItem {
    // `hotKeyStatus`: what registering the hot key returns.
    explicit StatusItem(int hotKeyStatus = 0) {
        hotKey.registrationStatus = hotKeyStatus;
        controller = std::make_unique<StatusBarController>(
            StatusBarController::Environment{
                DimmingSettings::create(
                    std::make_shared<SettingsStore>(
                        std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>())),
                    workspace, queue),
                hotKey, &clicks,
                [this](QuickPanelActions given) {
                    actions = given;
                    ++panels;
                    auto panel = std::make_unique<QWidget>();
                    panel->setFixedSize(320, 200);
                    return panel;
                },
                nullptr, nullptr, [this](std::string_view line) { logged.emplace_back(line); },
                nullptr},
            StatusBarController::Callbacks{[this] { ++settingsOpened; }, nullptr, nullptr});
    }
    bool menuShown() const {
        const QMenu* menu = controller->contextMenu();
        return menu != nullptr && menu->isVisible();
    }
    void click(QSystemTrayIcon::ActivationReason reason) {
        Q_EMIT controller->statusItem().activated(reason);
    }

    fakes::FakeWorkspace workspace;
    fakes::VirtualMainQueue queue;
    fakes::FakeGlobalHotKey hotKey;
    fakes::FakeGlobalClickMonitor clicks;
    int panels = 0;
    int settingsOpened = 0;
    std::vector<std::string> logged;
    QuickPanelActions actions;
    std::unique_ptr<StatusBarController> controller;
};

TEST(StatusBarControllerTest, ALeftClickTogglesThePanelAndARightOrCtrlClickShowsTheMenu) {
    StatusItem item;
    item.click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(item.controller->isPopoverShown());
    item.click(QSystemTrayIcon::DoubleClick); // the second click of a quick pair
    EXPECT_FALSE(item.controller->isPopoverShown());
    item.click(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(item.controller->isPopoverShown() || item.menuShown());
    item.click(QSystemTrayIcon::Context);
    EXPECT_TRUE(item.menuShown());
    EXPECT_FALSE(item.controller->isPopoverShown());

    item.controller->contextMenu()->close();
    QWindow keyboard;
    QTest::keyPress(&keyboard, Qt::Key_Control, Qt::ControlModifier);
    item.click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(item.menuShown()) << "Ctrl+click";
    EXPECT_FALSE(item.controller->isPopoverShown());
    QTest::keyRelease(&keyboard, Qt::Key_Control);
    item.click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(item.controller->isPopoverShown());
}

TEST(StatusBarControllerTest, TheHotKeySaysWhenOLeavesOrComesBackAndWhenItIsClaimedAnew) {
    using Lines = std::vector<std::string>;
    const std::string registered = "[HotKey] Registered Alt+Super+O";
    const std::string missing = "[HotKey] O is not on the keyboard; Alt+Super+O waits for it";
    const std::string back = "[HotKey] O is on the keyboard now";
    const auto said = [](const StatusItem& item) {
        Lines lines;
        std::copy_if(item.logged.begin(), item.logged.end(), std::back_inserter(lines),
                     [](const std::string& line) { return line.starts_with("[HotKey] "); });
        return lines;
    };

    StatusItem item(GlobalHotKey::kNoKey);
    EXPECT_EQ(said(item), Lines{missing});
    ASSERT_TRUE(item.hotKey.isRegistered()) << "it waits for O";
    item.hotKey.changeKeymap(0);
    EXPECT_EQ(said(item), (Lines{missing, back, registered}));

    item.logged.clear();
    item.hotKey.changeKeymap(0);  // O moved to another key
    item.hotKey.changeKeymap(10); // to one another program holds
    item.hotKey.changeKeymap(GlobalHotKey::kNoKey);
    item.hotKey.changeKeymap(10); // back, on a key held elsewhere
    item.hotKey.changeKeymap(0);
    EXPECT_EQ(said(item), (Lines{registered, "[HotKey] RegisterEventHotKey failed: 10", missing,
                                 back, "[HotKey] RegisterEventHotKey failed: 10", registered}));
    item.controller.reset();
    EXPECT_FALSE(item.hotKey.isRegistered()) << "released with the controller";

    // Held by another program from the start: said, and nothing stays registered.
    StatusItem refused(10);
    EXPECT_EQ(said(refused), Lines{"[HotKey] RegisterEventHotKey failed: 10"});
    EXPECT_FALSE(refused.hotKey.isRegistered());
}

TEST(StatusGlyphTest, TheUmbrellaInItsColourEdgedOppositeAndTheStateDotAtEverySize) {
    // The platform's system green (on) and system red (off).
    const QRgb green = qRgb(52, 199, 89);
    const QRgb red = qRgb(255, 59, 48);
    for (int size : {16, 22, 24, 32}) {
        for (const QColor& foreground : {QColor(Qt::white), QColor(Qt::black)}) {
            for (const bool enabled : {true, false}) {
                const QImage image = StatusGlyph::image(enabled, size, foreground);
                const double d = size / 3.0;
                EXPECT_EQ(image.pixelColor(qRound(size - 1 - d / 2), qRound(size - d / 2)).rgb(),
                          enabled ? green : red)
                    << size << (enabled ? " on" : " off");
                EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "transparent around";
                EXPECT_EQ(image.pixelColor(size - 1, 0).alpha(), 0);
                int body = 0;
                int edge = 0;
                for (int i = 0; i < size * size; ++i) {
                    const QColor p = image.pixelColor(i % size, i / size);
                    const int fromForeground = std::abs(qGray(p.rgb()) - qGray(foreground.rgb()));
                    body += p.alpha() > 240 && fromForeground < 8;
                    edge += p.alpha() > 100 && fromForeground > 200;
                }
                EXPECT_GT(body, size * size / 20) << size;
                EXPECT_GT(edge, size * size / 20) << size << " the edge of the opposite lightness";
            }
        }
    }
}

TEST(PopoverPlacementTest, BelowWhenItFitsElseAboveAndAlwaysOnTheScreen) {
    const QSize panel(320, 400);
    const QRect screen(0, 0, 1280, 800);
    const QRect right(1280, 0, 1280, 800);
    const struct {
        QRect anchor;
        QRect screen;
        std::optional<bool> keepAbove;
        PopoverPlacement expected;
    } cases[] = {
        {{600, 0, 24, 24}, screen, {}, {{452, 28}, false}},    // top panel: below, centred
        {{1256, 776, 24, 24}, screen, {}, {{960, 372}, true}}, // bottom right: above, clamped
        {{0, 776, 24, 24}, screen, {}, {{0, 372}, true}},      // bottom left: clamped left
        {{1300, 0, 24, 24}, right, {}, {{1280, 28}, false}},   // second screen's left edge
        {{600, 372, 24, 24}, screen, {}, {{452, 400}, false}}, // exactly fits below
        {{600, 373, 24, 24}, screen, {}, {{452, 0}, true}},    // one more: above, clamped
        {{600, 100, 24, 24}, screen, true, {{452, 0}, true}},  // a kept choice holds
        {{600, 700, 24, 24}, screen, false, {{452, 400}, false}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PopoverPlacement::place(panel, c.anchor, c.screen, c.keepAbove), c.expected)
            << c.anchor.x() << "," << c.anchor.y();
    }
    EXPECT_EQ(PopoverPlacement::place(QSize(320, 900), {600, 0, 24, 24}, screen).topLeft.y(), 0)
        << "a panel taller than the screen shows its top";
    // The room is the larger side less the gap: above a bottom icon, below one at 300.
    EXPECT_EQ(PopoverPlacement::room({1256, 776, 24, 24}, screen), 772);
    EXPECT_EQ(PopoverPlacement::room({600, 300, 24, 24}, screen), 472);
}

TEST(PopoverPlacementTest, AnIconInADockOutsideTheWorkAreaKeepsThePanelInsideIt) {
    const QSize panel(320, 400);
    // A 30-pixel bar at the top holding the icon, the work area below it.
    const QRect belowBar(0, 30, 1280, 770);
    EXPECT_EQ(PopoverPlacement::place(panel, {600, 2, 24, 20}, belowBar),
              (PopoverPlacement{{452, 30}, false}))
        << "from the area's top, not 4 pixels under the icon inside the bar";
    EXPECT_EQ(PopoverPlacement::room({600, 2, 24, 20}, belowBar), 770);
    // A 40-pixel bar at the bottom: above the bar, not above the icon in it.
    const QRect aboveBar(0, 0, 1280, 760);
    EXPECT_EQ(PopoverPlacement::place(panel, {1256, 770, 24, 24}, aboveBar),
              (PopoverPlacement{{960, 360}, true}));
    EXPECT_EQ(PopoverPlacement::room({1256, 770, 24, 24}, aboveBar), 760);
    EXPECT_EQ(PopoverPlacement::place(QSize(320, 760), {1256, 770, 24, 24}, aboveBar).topLeft,
              QPoint(960, 0))
        << "a panel as tall as its room fills the area";
    // A bar at the top and the tray at the bottom: the room is what lies between them.
    const QRect between(0, 30, 1280, 770);
    EXPECT_EQ(PopoverPlacement::room({1256, 776, 24, 24}, between), 742);
    EXPECT_EQ(PopoverPlacement::place(QSize(320, 742), {1256, 776, 24, 24}, between).topLeft,
              QPoint(960, 30));
}

TEST(SingleInstanceGuardTest, ALaterLaunchOnTheSameDisplayAsksTheFirstToReopen) {
    fakes::TempDir folder;
    const QString dir = QString::fromStdString(folder.path().string());
    SingleInstanceGuard first(":7", dir);
    // What an instance that crashed left at the socket's path.
    std::ofstream(first.socketPath().toStdString()) << "stale";
    ASSERT_TRUE(first.claim());
    bool reopened = false;
    QObject::connect(&first, &SingleInstanceGuard::reopenRequested, [&] { reopened = true; });
    EXPECT_FALSE(SingleInstanceGuard(":7.0", dir).claim()) << "screen 0 of the same display";
    QElapsedTimer waited;
    for (waited.start(); !reopened && waited.elapsed() < 2000;) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(SingleInstanceGuard(":8", dir).claim()) << "another display";
}

TEST(StatusBarControllerTest, PanelIsNewEachTimeAndEveryWayOfClosingDisarmsTheMonitor) {
    StatusItem item;
    auto& controller = item.controller;
    auto& clicks = item.clicks;

    controller->togglePopover();
    ASSERT_TRUE(controller->isPopoverShown());
    ASSERT_TRUE(clicks.isArmed());
    const QRect shown = controller->popover()->frameGeometry();
    EXPECT_EQ(shown.size(), QSize(320, 200));
    clicks.press(shown.center().x(), shown.center().y());
    EXPECT_TRUE(controller->isPopoverShown()) << "a press inside the panel";
    clicks.press(shown.right() + 5, shown.center().y());
    EXPECT_FALSE(controller->isPopoverShown()) << "a press outside";
    EXPECT_FALSE(clicks.isArmed());
    Q_EMIT controller->statusItem().activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(controller->isPopoverShown()) << "that press was on an icon of unknown place";

    controller->togglePopover();
    controller->togglePopover();
    EXPECT_FALSE(controller->isPopoverShown()) << "the icon closes it too";
    EXPECT_FALSE(clicks.isArmed());

    controller->togglePopover();
    EXPECT_EQ(item.panels, 3) << "built anew each time";
    item.actions.openSettings();
    EXPECT_FALSE(controller->isPopoverShown());
    EXPECT_FALSE(clicks.isArmed());
    EXPECT_EQ(item.settingsOpened, 1);
    item.actions.openAbout(); // no About opener: nothing more happens
    EXPECT_EQ(item.settingsOpened, 1);

    ASSERT_TRUE(item.hotKey.isRegistered());
    controller.reset();
    EXPECT_FALSE(item.hotKey.isRegistered()) << "released with the controller";
}

TEST(StatusBarControllerTest,
     APressInOurWindowIsOursInWhateverOrderTheMonitorAndTheWindowHearOfIt) {
    StatusItem item;
    auto& controller = item.controller;
    controller->togglePopover();
    const QRect panel = controller->popover()->frameGeometry();
    // Another window of ours (the onboarding) beside the panel, that a press hides, as its last
    // button does.
    QWidget other;
    other.setGeometry(panel.right() + 20, panel.top(), 200, 150);
    const QPoint inside = other.geometry().center();
    const QPoint outside(other.geometry().right() + 50, inside.y());
    const auto receive = [&](const QPoint& at, ulong time) {
        other.show();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at - other.geometry().topLeft()),
                          QPointF(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        press.setTimestamp(time);
        QApplication::sendEvent(other.windowHandle(), &press);
        other.hide();
    };

    // The window first: it has gone when the monitor reports the press.
    receive(inside, 1000);
    item.clicks.press(inside.x(), inside.y(), 1000);
    EXPECT_TRUE(controller->isPopoverShown()) << "pressed in our window, since hidden";
    // The monitor first: the window still shows, then receives the press and goes.
    other.show();
    item.clicks.press(inside.x(), inside.y(), 2000);
    receive(inside, 2000);
    EXPECT_TRUE(controller->isPopoverShown());

    // A press that a grab brought to our window from outside it was no press in it.
    receive(outside, 3000);
    item.clicks.press(outside.x(), outside.y(), 3000);
    EXPECT_FALSE(controller->isPopoverShown()) << "outside our windows";
    controller->togglePopover();
    // The same place later, our window gone meanwhile and never pressed at that time.
    item.clicks.press(inside.x(), inside.y(), 4000);
    EXPECT_FALSE(controller->isPopoverShown()) << "where our window stood before";
}

} // namespace
} // namespace tavrilux

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // also when listing the tests
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
