#include "app/SettingsWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QVBoxLayout>

namespace tavrilux {

SettingsWindow::SettingsWindow(QWidget* content, std::function<void()> onHidden)
    : QWidget(nullptr, Qt::Window), content_(content), onHidden_(std::move(onHidden)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
    QCoreApplication::instance()->installEventFilter(this);
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    // Quitting asks every window to close first and gives up when one refuses.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
        quitting_ = true;
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    // Refused, so the native window stays as it is (placed where the user left it), and hidden.
    event->ignore();
    hide();
    if (onHidden_) {
        onHidden_();
    }
}

} // namespace tavrilux
