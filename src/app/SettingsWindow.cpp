#include "app/SettingsWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace tavrilux {

SettingsWindow::SettingsWindow(QWidget* content, std::function<void()> onHidden)
    : QWidget(nullptr, Qt::Window), content_(content), onHidden_(std::move(onHidden)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
    if (onHidden_) {
        onHidden_();
    }
}

} // namespace tavrilux
