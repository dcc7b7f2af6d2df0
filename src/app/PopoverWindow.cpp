#include "app/PopoverWindow.h"

#include "app/PopoverPlacement.h"
#include "core/localization/LocalizationManager.h"
#include "platform/x11/X11ShellWindows.h"
#include "platform/x11/X11WorkArea.h"
#include "platform/x11/XcbReply.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace tavrilux {

PopoverWindow::PopoverWindow(std::unique_ptr<QWidget> content, bool translucent)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      content_(content.release()) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setWindowTitle(QString::fromStdString(L("app_name")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content_);
    // A panel, not a window of its own: out of task bars, pagers and window switchers. Set on
    // the native window before it first maps, which is when window managers read it.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 != nullptr && x11->connection() != nullptr) {
        x11::X11ShellWindows::skipTaskbarsAndSwitchers(x11->connection(),
                                                       static_cast<xcb_window_t>(winId()));
    }
}

void PopoverWindow::showAgainst(const QRect& anchor) {
    anchor_ = anchor;
    above_.reset();
    area_ = workArea();
    // Content that can scroll is told how tall it may be, so that it never covers the icon.
    if (area_ && content_->metaObject()->indexOfProperty("heightLimit") >= 0) {
        content_->setProperty("heightLimit", PopoverPlacement::room(anchor_, *area_));
    }
    adjustSize();
    place();
    show();
}

void PopoverWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) {
        place();
    }
}

std::optional<QRect> PopoverWindow::workArea() const {
    const QScreen* screen = QGuiApplication::screenAt(anchor_.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return std::nullopt;
    }
    const QRect monitor = screen->geometry();
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return screen->availableGeometry();
    }
    xcb_connection_t* connection = x11->connection();
    // The root of the screen this window lives on.
    auto geometry = x11::reply(xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, static_cast<xcb_window_t>(winId())), nullptr));
    if (!geometry) {
        return monitor;
    }
    const auto area =
        x11::X11WorkArea::ofMonitor({monitor.x(), monitor.y(), monitor.width(), monitor.height()},
                                    x11::X11WorkArea::read(connection, geometry->root));
    return QRect(area.x, area.y, area.width, area.height);
}

void PopoverWindow::place() {
    if (!area_) {
        return;
    }
    const auto placement = PopoverPlacement::place(size(), anchor_, *area_, above_);
    above_ = placement.above;
    move(placement.topLeft);
}

} // namespace tavrilux
