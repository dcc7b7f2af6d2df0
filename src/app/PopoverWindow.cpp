#include "app/PopoverWindow.h"

#include "app/PopoverPlacement.h"

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
    setWindowTitle(QGuiApplication::applicationDisplayName());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content_);
}

void PopoverWindow::showAgainst(const QRect& anchor) {
    anchor_ = anchor;
    above_.reset();
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

void PopoverWindow::place() {
    const QScreen* screen = QGuiApplication::screenAt(anchor_.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const auto placement = PopoverPlacement::place(size(), anchor_, screen->geometry(), above_);
    above_ = placement.above;
    move(placement.topLeft);
}

} // namespace tavrilux
