#pragma once

#include <QString>
#include <QWidget>

namespace tavrilux::ui {

// A small capsule saying whether dimming is on: the text of "status_on" in the success colour,
// or of "status_off" in the secondary text colour, on a capsule of the same colour at 0.16.
// A missing translation shows the key.
class StatusBadge final : public QWidget {
    Q_OBJECT
public:
    explicit StatusBadge(bool active = false, QWidget* parent = nullptr);

    bool isActive() const { return active_; }
    void setActive(bool active);
    const QString& text() const { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void lookUp();

    bool active_;
    QString text_;
};

} // namespace tavrilux::ui
