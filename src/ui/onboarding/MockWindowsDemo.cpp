#include "ui/onboarding/MockWindowsDemo.h"

#include "core/localization/LocalizationManager.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/onboarding/MockWindow.h"

namespace tavrilux::ui {

namespace {
constexpr std::array<std::string_view, 3> kTitles{localizationKey("onboarding_demo_notes"),
                                                  localizationKey("onboarding_demo_mail"),
                                                  localizationKey("onboarding_demo_browser")};
constexpr std::array<QPoint, 3> kOffsets{QPoint(-40, -20), QPoint(0, 20), QPoint(40, -10)};
} // namespace

MockWindowsDemo::MockWindowsDemo(int activeWindow, QWidget* parent)
    : QWidget(parent), activeWindow_(activeWindow) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int i = 0; i < 3; ++i) {
        windows_.at(static_cast<std::size_t>(i)) =
            new MockWindow(text(kTitles.at(static_cast<std::size_t>(i))), i == activeWindow, this);
    }
    place();
}

void MockWindowsDemo::setActiveWindow(int index) {
    activeWindow_ = index;
    for (int i = 0; i < 3; ++i) {
        windows_.at(static_cast<std::size_t>(i))->setActive(i == index);
    }
    place();
}

void MockWindowsDemo::place() {
    for (int i = 0; i < 3; ++i) {
        MockWindow* window = windows_.at(static_cast<std::size_t>(i));
        QRect frame(QPoint(), window->size());
        frame.moveCenter(rect().center() + kOffsets.at(static_cast<std::size_t>(i)));
        window->setGeometry(frame);
        // Raised in stacking order: Notes, Mail, Browser, then the bright one on top.
        window->raise();
    }
    if (activeWindow_ >= 0 && activeWindow_ < 3) {
        windows_.at(static_cast<std::size_t>(activeWindow_))->raise();
    }
}

void MockWindowsDemo::resizeEvent(QResizeEvent*) {
    place();
}

} // namespace tavrilux::ui
