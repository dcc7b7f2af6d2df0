#include "app/OwnWindowPresses.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tavrilux {

OwnWindowPresses::OwnWindowPresses() {
    qApp->installEventFilter(this);
}

OwnWindowPresses::~OwnWindowPresses() {
    qApp->removeEventFilter(this);
}

bool OwnWindowPresses::eventFilter(QObject* watched, QEvent* event) {
    // Each press reaches its window first, then the widget: the window's is the one noted.
    if (event->type() == QEvent::MouseButtonPress && watched->isWindowType()) {
        const auto* press = static_cast<const QMouseEvent*>(event);
        // A press from outside that a grab brings to us (an open menu's) was not in our window.
        if (static_cast<const QWindow*>(watched)->frameGeometry().contains(
                press->globalPosition().toPoint())) {
            received_[next_] = static_cast<std::uint32_t>(press->timestamp());
            next_ = (next_ + 1) % kKept;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool OwnWindowPresses::contains(const GlobalClickMonitor::Press& press) const {
    // Time 0 is no server's time stamp: the press is only known by its place.
    if (press.time != 0 &&
        std::find(received_.begin(), received_.end(), press.time) != received_.end()) {
        return true;
    }
    const QPoint point(press.x, press.y);
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [&](const QWidget* window) {
        return window->isVisible() && window->frameGeometry().contains(point);
    });
}

} // namespace tavrilux
