// The onboarding window's owner and the launch order of the shell, on the offscreen platform.
#include "app/AppDelegate.h"
#include "app/ApplicationActivation.h"
#include "app/OnboardingWindowManager.h"
#include "fakes/FakeApplicationActivator.h"
#include "fakes/FakeOverlayWindowFactory.h"
#include "fakes/FakeResourceUsageProbe.h"
#include "fakes/TempDir.h"
#include "ui/UiHarness.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/onboarding/HowItWorksStep.h"

#include <QAbstractAnimation>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tavrilux {
namespace {

// Counts the timer events that reach `root` or anything inside it.
class TimerCount final : public QObject {
public:
    explicit TimerCount(QObject* root) : root_(root) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        for (QObject* o = watched; o != nullptr && event->type() == QEvent::Timer;
             o = o->parent()) {
            if (o == root_) {
                ++fired;
                break;
            }
        }
        return false;
    }
    int fired = 0;

private:
    QObject* root_;
};

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

    TimerCount timers(window);
    press(*window); // to the page with the 2 s demonstration
    QTest::qWait(200);
    EXPECT_GT(timers.fired, 0) << "the blobs drift while it shows";
    ASSERT_TRUE(window->findChild<ui::HowItWorksStep*>());
    EXPECT_TRUE(window->findChild<ui::HowItWorksStep*>()->tickTimer().isActive());

    window->close(); // Alt+F4 only hides it, in the middle of the slide
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ApplicationActivation::policy(), ActivationPolicy::accessory);
    EXPECT_EQ(runningAnimations(*window), 0);
    EXPECT_FALSE(window->findChild<ui::HowItWorksStep*>()->tickTimer().isActive());
    timers.fired = 0;
    QTest::qWait(300);
    EXPECT_EQ(timers.fired, 0) << "a hidden onboarding fires no timer";

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

// A hot key that notes when the status item registers it.
class NotingHotKey final : public GlobalHotKey {
public:
    explicit NotingHotKey(std::vector<std::string>& log) : log_(log) {}
    int registerHotKey(std::function<void()>) override {
        log_.push_back("status item");
        return 0;
    }
    void unregisterHotKey() override {}

private:
    std::vector<std::string>& log_;
};

class NotingOnboarding final : public OnboardingWindowManaging {
public:
    explicit NotingOnboarding(std::vector<std::string>& log) : log_(log) {}
    void show() override { log_.push_back("onboarding shows"); }

private:
    std::vector<std::string>& log_;
};

TEST(LaunchOrderTest, AFirstLaunchAsksForStartAtLoginThenShowsTheOnboarding) {
    fakes::TempDir state;
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state.path().string()));
    for (bool firstLaunch : {true, false}) {
        SCOPED_TRACE(firstLaunch);
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

        std::vector<std::string> log;
        fakes::FakeDesktop desktop;
        fakes::FakeApplicationActivator activator;
        fakes::FakeOverlayWindowFactory overlays;
        fakes::FakeResourceUsageProbe probe;
        NotingHotKey hotKey(log);
        ShellScreens screens;
        screens.settingsWindowManager = [&](const ui::UiContext&, std::function<void()>) {
            log.push_back(std::filesystem::exists(record) ? "settings window manager"
                                                          : "crash reports too early");
            return nullptr;
        };
        screens.onboardingWindowManager = [&](const ui::UiContext&, std::function<void()>) {
            log.push_back(std::filesystem::exists(record) ? "crash reports missed"
                                                          : "onboarding manager");
            return std::make_unique<NotingOnboarding>(log);
        };
        screens.enableLoginItem = [&] { log.push_back("start at login"); };
        AppDelegate delegate(AppDelegate::Platform{OverlayCoordinator::Desktop{
                                                       desktop.queue, desktop.workspace, desktop,
                                                       desktop, desktop, activator, overlays, 1},
                                                   probe, hotKey, nullptr, [] { return true; },
                                                   BuildFlavor::development, nullptr, std::nullopt},
                             std::move(screens));
        ASSERT_TRUE(delegate.applicationDidFinishLaunching());
        std::vector<std::string> expected{"settings window manager", "status item",
                                          "onboarding manager"};
        if (firstLaunch) {
            expected.insert(expected.end(), {"start at login", "onboarding shows"});
        }
        EXPECT_EQ(log, expected);
    }
}

} // namespace
} // namespace tavrilux
