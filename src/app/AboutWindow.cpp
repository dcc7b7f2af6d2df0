#include "app/AboutWindow.h"

#include "ui/components/WindowCloseButton.h"

#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

namespace tavrilux {

AboutWindow::AboutWindow(std::unique_ptr<QWidget> content)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      closeButton_(new ui::WindowCloseButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Fixed: the window's minimum and maximum sizes are its size.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content.release());
    closeButton_->raise();
    connect(closeButton_, &QAbstractButton::clicked, this, &QWidget::close);
    adjustSize();
}

void AboutWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
    }
}

void AboutWindow::showEvent(QShowEvent* event) {
    // The window itself takes the focus as it opens, rather than its only control, whose ring
    // would then greet every opening; Tab brings the focus to the button.
    setFocus(Qt::ActiveWindowFocusReason);
    QWidget::showEvent(event);
}

void AboutWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    closeButton_->move(width() - kCloseInset - closeButton_->width(), kCloseInset);
}

} // namespace tavrilux
