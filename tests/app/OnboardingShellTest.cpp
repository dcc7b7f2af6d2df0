// The onboarding window's owner and the launch order of the shell, on the offscreen platform.
#include "app/AppDelegate.h"
#include "app/ApplicationActivation.h"
#include "app/OnboardingWindowManager.h"
#include "app/SettingsWindow.h"
#include "app/SettingsWindowManager.h"
#include "fakes/FakeApplicationActivator.h"
#include "fakes/FakeGlobalHotKey.h"
#include "fakes/FakeOverlayWindowFactory.h"
#include "fakes/FakeResourceUsageProbe.h"
#include "fakes/TempDir.h"
#include "ui/SettingsHarness.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/onboarding/HowItWorksStep.h"

#include <QAbstractAnimation>
#include <QAbstractEventDispatcher>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tavrilux {
namespace {

// Timers that `root` or anything inside it has running.
int runningTimers(QObject& root) {
    int running = 0;
    auto objects = root.findChildren<QObject*>();
    for (QObject* object : objects << &root) {
        running +=
            static_cast<int>(QAbstractEventDispatcher::instance()->registeredTimers(object).size());
    }
    return running;
}

void press(ui::OnboardingView& view) {
    auto* button = view.page()->findChild<ui::PrimaryButtonStyle*>();
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

int runningAnimations(const QObject& root) {
    int running = 0;
    for (const auto* animation : root.findChildren<QAbstractAnimation*>()) {
        running += animation->state() == QAbstractAnimation::Running;
    }
    return running;
}

TEST(OnboardingWindowManagerTest, DarkWindowHidesIdleAndCompletesIntoTheQuickPanel) {
    QApplication::setPalette(ui::paletteFor(ui::Appearance::light));
    ui::testing::UiModel model;
    int quickPanels = 0;
    OnboardingWindowManager manager(model.context, [&] { ++quickPanels; });
    EXPECT_EQ(manager.window(), nullptr) << "built on first show";
    manager.show();
    ui::OnboardingView* window = manager.window();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint) << "no window buttons";
    EXPECT_EQ(ui::appearanceOf(window), ui::Appearance::dark);
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::regular);

    press(*window); // to the page with the 2 s demonstration
    EXPECT_TRUE(window->motionClock().isRunning()) << "the blobs drift while it shows";
    ASSERT_TRUE(window->findChild<ui::HowItWorksStep*>());
    EXPECT_TRUE(window->findChild<ui::HowItWorksStep*>()->tickTimer().isActive());

    window->close(); // Alt+F4 only hides it, in the middle of the slide
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::accessory);
    EXPECT_EQ(runningAnimations(*window), 0);
    EXPECT_FALSE(window->findChild<ui::HowItWorksStep*>()->tickTimer().isActive());
    EXPECT_EQ(runningTimers(*window), 0) << "a hidden onboarding runs no timer";

    manager.show();
    EXPECT_EQ(manager.window(), window) << "the same window, on the same page";
    EXPECT_EQ(window->step(), 1);
    EXPECT_FALSE(model.suite->hasValue("dimming.activeMode"));
    for (int i = 0; i < 3; ++i) {
        press(*window);
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(quickPanels, 1);
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::accessory);
    EXPECT_EQ(model.suite->stringValue("dimming.activeMode"), "flow") << "applied and saved";
    EXPECT_EQ(runningAnimations(*window), 0);
}

// The delegate over the fakes, with screens that note in `log` what the shell asks of them.
struct Shell {
    struct Noting final : SettingsWindowManaging, OnboardingWindowManaging {
        explicit Noting(Shell& shell) : shell_(shell) {}
        void showSettingsWindow(std::optional<SettingsTab> tab) override {
            shell_.settingsShown.push_back(tab);
        }
        void show() override { shell_.log.push_back("onboarding shows"); }
        Shell& shell_;
    };

    explicit Shell(bool firstLaunch = true,
                   std::optional<std::filesystem::path> executable = std::nullopt) {
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state.path().string()));
        DefaultsRegistry::installShared(std::make_unique<DefaultsRegistry>(
            [](const std::string&) { return std::make_unique<MemoryDomainStorage>(); }));
        if (!firstLaunch) {
            SettingsStore::openDefaults(DefaultsRegistry::shared())
                ->setBool("dimming.isEnabled", false);
        }
        // What an earlier crash left: crash reporting takes it (this one unread, as malformed).
        const auto record = state.path() / "tavrilux/diagnostics/record";
        std::filesystem::create_directories(record.parent_path());
        std::filesystem::permissions(record.parent_path(), std::filesystem::perms::owner_all);
        std::ofstream(record) << "not a record";
        const auto note = [this, record](const std::string& what) {
            log.push_back(what + (std::filesystem::exists(record) ? "" : ", crash reports taken"));
        };
        ShellScreens screens;
        screens.quickPanel = [this](const ui::UiContext&, QuickPanelActions actions) {
            panelActions = std::move(actions);
            return std::make_unique<QWidget>();
        };
        screens.settingsWindowManager = [this, note](const ui::UiContext&, std::function<void()>) {
            note(delegate->statusBarController() ? "status item first" : "settings window manager");
            return std::make_unique<Noting>(*this);
        };
        screens.onboardingWindowManager = [this, note](const ui::UiContext&,
                                                       std::function<void()> showQuickPanel) {
            note(delegate->statusBarController() ? "onboarding manager" : "no status item");
            completeOnboarding = std::move(showQuickPanel);
            return std::make_unique<Noting>(*this);
        };
        screens.aboutPanel = [] { return std::make_unique<QWidget>(); };
        screens.enableLoginItem = [note] { note("start at login"); };
        delegate = std::make_unique<AppDelegate>(
            AppDelegate::Platform{OverlayCoordinator::Desktop{desktop.queue, desktop.workspace,
                                                              desktop, desktop, desktop, activator,
                                                              overlays, 1},
                                  probe, hotKey, nullptr, [] { return true; },
                                  BuildFlavor::development, nullptr, executable, nullptr},
            std::move(screens));
    }
    StatusBarController& tray() const { return *delegate->statusBarController(); }
    fakes::TempDir state;
    fakes::FakeDesktop desktop;
    fakes::FakeApplicationActivator activator;
    fakes::FakeOverlayWindowFactory overlays;
    fakes::FakeResourceUsageProbe probe;
    fakes::FakeGlobalHotKey hotKey;
    std::vector<std::string> log;
    QuickPanelActions panelActions;
    std::vector<std::optional<SettingsTab>> settingsShown;
    std::function<void()> completeOnboarding;
    std::unique_ptr<AppDelegate> delegate;
};

TEST(AppDelegateTest, AFirstLaunchAsksForStartAtLoginThenShowsTheOnboarding) {
    for (bool firstLaunch : {true, false}) {
        Shell shell(firstLaunch);
        ASSERT_TRUE(shell.delegate->applicationDidFinishLaunching());
        std::vector<std::string> expected{"settings window manager",
                                          "onboarding manager, crash reports taken"};
        if (firstLaunch) {
            expected.insert(expected.end(),
                            {"start at login, crash reports taken", "onboarding shows"});
        }
        EXPECT_EQ(shell.log, expected) << firstLaunch;
    }
}

TEST(AppDelegateTest, TheOnboardingOpensThePanelAndThePanelsWaysOutReachTheirTab) {
    Shell shell;
    ASSERT_TRUE(shell.delegate->applicationDidFinishLaunching());
    shell.completeOnboarding();
    EXPECT_TRUE(shell.tray().isPopoverShown());
    shell.tray().togglePopover();
    shell.tray().togglePopover(); // opened from the tray while the onboarding still showed
    shell.completeOnboarding();
    EXPECT_TRUE(shell.tray().isPopoverShown()) << "an open panel stays open";
    shell.desktop.queue.advance(Seconds{1});
    EXPECT_GT(shell.desktop.snapshotCount(), 0) << "dimming runs";

    shell.panelActions.openAbout();
    shell.tray().togglePopover();
    shell.panelActions.openSettings();
    EXPECT_EQ(shell.settingsShown,
              (std::vector<std::optional<SettingsTab>>{SettingsTab::about, std::nullopt}));
    EXPECT_FALSE(shell.tray().isPopoverShown());
}

TEST(AppDelegateTest, FromRemovableMediaItSaysSoAndStartsNothing) {
    EXPECT_TRUE(AppDelegate::isOnRemovableMedia("/run/media/ann/STICK/bin/tavrilux"));
    for (const char* elsewhere : {"/mediaX/tavrilux", "/home/ann/media/tavrilux", "/usr/bin/x"}) {
        EXPECT_FALSE(AppDelegate::isOnRemovableMedia(elsewhere)) << elsewhere;
    }
    Shell shell(true, "/media/ann/STICK/tavrilux");
    QTimer::singleShot(0, [] {
        if (QWidget* alert = QApplication::activeModalWidget()) {
            alert->close();
        }
    });
    EXPECT_FALSE(shell.delegate->applicationDidFinishLaunching());
    EXPECT_EQ(shell.delegate->statusBarController(), nullptr);
    shell.desktop.queue.advance(Seconds{1});
    EXPECT_EQ(shell.desktop.snapshotCount(), 0) << "no dimming";
}

// The shipped tables with `language` preferred while it lives, English after.
struct Language {
    explicit Language(const std::string& language) {
        installed = ui::testing::installLanguage(language);
    }
    ~Language() { ui::testing::installLanguage("en"); }
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;
    bool installed = false;
};

TEST(AppDelegateTest, EveryWindowIsTitledInTheUsersLanguage) {
    const Language german("de");
    ASSERT_TRUE(german.installed);
    ui::testing::SettingsModel model;
    OnboardingWindowManager onboarding(model.context, nullptr);
    onboarding.show();
    EXPECT_EQ(onboarding.window()->windowTitle().toStdString(), "Willkommen bei Tavrilux");
    SettingsWindowManager settings(model.context, model.services);
    settings.showSettingsWindow(std::nullopt);
    EXPECT_EQ(settings.settingsWindow()->windowTitle().toStdString(), "Tavrilux-Einstellungen");

    Shell shell(false);
    ASSERT_TRUE(shell.delegate->applicationDidFinishLaunching());
    shell.tray().togglePopover();
    ASSERT_TRUE(shell.tray().isPopoverShown());
    EXPECT_EQ(shell.tray().popover()->windowTitle().toStdString(), "Tavrilux");
    shell.delegate->showAboutPanel();
    QStringList titles;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            titles << window->windowTitle();
        }
    }
    EXPECT_TRUE(titles.contains("Über Tavrilux")) << titles.join(", ").toStdString();
}
} // namespace
} // namespace tavrilux
