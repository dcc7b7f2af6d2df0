// The first-launch flow over the fakes and its demonstration's schedule. The pictures of every
// page are the gallery's.
#include "UiHarness.h"

#include "ui/components/PrimaryButtonStyle.h"
#include "ui/onboarding/BlobLayer.h"
#include "ui/onboarding/DemoTimeline.h"
#include "ui/onboarding/HowItWorksStep.h"
#include "ui/onboarding/MockWindow.h"
#include "ui/onboarding/MockWindowsDemo.h"
#include "ui/onboarding/ModeCard.h"
#include "ui/onboarding/ModePickerStep.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/ProgressDots.h"
#include "ui/onboarding/ReadyStep.h"

#include <QTest>

#include <gtest/gtest.h>

namespace tavrilux::ui {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;
// 2001-01-01 00:00:00 UTC.
const Clock::time_point kReference = Clock::time_point(978307200s);

TEST(DemoTimelineTest, StepsThroughNotesMailBrowserEveryTwoSecondsOfTheInjectedClock) {
    Clock::time_point now = kReference + 7300ms; // 3.65 ticks: Notes
    DemoTimeline timeline([&] { return now; });
    const struct {
        std::chrono::milliseconds after;
        int window;
        std::chrono::milliseconds untilNext;
    } steps[] = {{0ms, 0, 2000ms},    {1900ms, 0, 100ms},  {2000ms, 1, 2000ms},
                 {4500ms, 2, 1500ms}, {6000ms, 0, 2000ms}, {8000ms, 1, 2000ms}};
    for (const auto& s : steps) {
        now = kReference + 7300ms + s.after;
        EXPECT_EQ(timeline.activeWindow(), s.window) << s.after.count();
        EXPECT_EQ(timeline.untilNextTick(), s.untilNext) << s.after.count();
    }
    now = kReference + 9000ms; // a clock set back holds the first tick
    EXPECT_EQ(timeline.activeWindow(), 0);
    EXPECT_EQ(DemoTimeline::activeWindowAt(kReference + 9000ms), 1) << "the start depends on it";
    EXPECT_EQ(DemoTimeline::activeWindowAt(kReference - 2500ms), -1) << "before 2001";

    // The blobs glide to their turning point and back.
    EXPECT_EQ(BlobLayer::offsetAt(0, 0), QPointF(-60, -80));
    EXPECT_EQ(BlobLayer::offsetAt(0, 8), QPointF(60, 80));
    EXPECT_EQ(BlobLayer::offsetAt(0, 12), QPointF(0, 0));
}

TEST(MockWindowsDemoTest, TheBrightWindowIsInFrontAndTheOthersKeepTheirOrder) {
    ASSERT_TRUE(testing::installLanguage("en"));
    MockWindowsDemo demo(0);
    const auto order = [&] {
        std::string names;
        for (QObject* child : demo.children()) { // back to front
            if (auto* window = qobject_cast<MockWindow*>(child)) {
                names += window->title().toStdString() + (window->isActive() ? "* " : " ");
            }
        }
        return names;
    };
    EXPECT_EQ(order(), "Mail Browser Notes* ");
    demo.setActiveWindow(2);
    EXPECT_EQ(order(), "Notes Mail Browser* ");
    for (int outside : {3, -1}) {
        demo.setActiveWindow(outside);
        EXPECT_EQ(order(), "Notes Mail Browser ");
    }
    // A dimmed window shows a quarter of itself: on white, Mail's lower edge (which nothing
    // covers) is a quarter as far from white as when Mail is the bright one.
    demo.resize(400, 200);
    const auto mail = [&](int active) {
        demo.setActiveWindow(active);
        QImage image(demo.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        demo.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return 255 - qGray(image.pixel(200, 160));
    };
    EXPECT_NEAR(mail(0) / double(mail(1)), 0.25, 0.08);
}

class OnboardingFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(englishInstalled);
        view.resize(680, 500);
        forceAppearance(&view, Appearance::dark);
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.show();
    }

    // Presses the current page's button.
    void press() {
        QWidget* page = view.page();
        ASSERT_TRUE(page);
        auto* button = page->findChild<PrimaryButtonStyle*>();
        ASSERT_TRUE(button);
        QTest::mouseClick(button, Qt::LeftButton);
        testing::settle();
    }
    void tap(FocusMode mode) {
        auto* picker = qobject_cast<ModePickerStep*>(view.page());
        ASSERT_TRUE(picker);
        for (ModeCard* card : picker->cards()) {
            if (card->mode() == mode) {
                QTest::mouseClick(card, Qt::LeftButton, {}, card->rect().center());
            }
        }
        testing::settle();
    }
    std::string selectedCards() {
        std::string selected;
        for (ModeCard* card : qobject_cast<ModePickerStep*>(view.page())->cards()) {
            selected += card->isSelected() ? std::string(rawValue(card->mode())) : "";
        }
        return selected;
    }
    bool saved() const { return model.suite->hasValue("dimming.activeMode"); }

    bool englishInstalled = testing::installLanguage("en"); // before any page looks a text up
    testing::UiModel model;
    std::vector<FocusMode> completions;
    OnboardingView view{model.context, [this](FocusMode mode) { completions.push_back(mode); }};
};

TEST_F(OnboardingFlowTest, FourPressesCompleteOnceWithFlowAndNothingIsSavedBefore) {
    for (int step = 0; step < 3; ++step) {
        EXPECT_EQ(view.step(), step);
        EXPECT_EQ(view.progressDots()->current(), step) << "the highlighted dot follows";
        press();
        EXPECT_TRUE(completions.empty());
    }
    EXPECT_EQ(view.step(), 3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.findChildren<HowItWorksStep*>().size(), 0u) << "left pages go";
    auto* ready = qobject_cast<ReadyStep*>(view.page());
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->secondBenefit(), "Flow mode is set up for you");
    EXPECT_FALSE(saved());
    press();
    EXPECT_EQ(completions, std::vector<FocusMode>{FocusMode::flow});
    EXPECT_EQ(view.step(), 3) << "the ready page stays";
    EXPECT_EQ(view.progressDots()->current(), 3);
    EXPECT_FALSE(saved()) << "the completion's owner applies the preset";
}

TEST_F(OnboardingFlowTest, EveryCardTapAppliesItsPresetAtOnce) {
    press();
    press();
    EXPECT_EQ(selectedCards(), "flow");
    tap(FocusMode::focus);
    tap(FocusMode::evening);
    EXPECT_EQ(selectedCards(), "evening");
    EXPECT_EQ(model.settings->activeMode.get(), FocusMode::evening);
    EXPECT_EQ(model.suite->stringValue("dimming.activeMode"), "evening");
    // A later change of the look, then the same card again: the preset comes back.
    model.settings->setTintIntensity(0.9);
    ASSERT_EQ(model.settings->activeMode.get(), FocusMode::custom);
    tap(FocusMode::evening);
    EXPECT_EQ(model.settings->activeMode.get(), FocusMode::evening);
    EXPECT_DOUBLE_EQ(model.settings->tintIntensity.get(), 0.15);
    EXPECT_EQ(selectedCards(), "evening");
    press();
    EXPECT_EQ(qobject_cast<ReadyStep*>(view.page())->secondBenefit(),
              "Evening mode is set up for you");
    press();
    EXPECT_EQ(completions, std::vector<FocusMode>{FocusMode::evening});
}

} // namespace
} // namespace tavrilux::ui
