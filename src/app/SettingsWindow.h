#pragma once

#include <QWidget>

#include <functional>

namespace tavrilux {

// A top-level window that is only ever hidden: closing it (the title bar's button, the window
// manager's close key) hides it, keeping it and its content's state for the next time it shows.
// Only when the application quits does it close.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    // `content` becomes the window's only child; `onHidden` runs each time a close hides it.
    SettingsWindow(QWidget* content, std::function<void()> onHidden);

    QWidget* content() const { return content_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* content_;
    std::function<void()> onHidden_;
    bool quitting_ = false;
};

} // namespace tavrilux
