#pragma once

#include <QAbstractButton>

namespace tavrilux::ui {

// A plain button that reads as a link: its text in 11 points in the platform accent, no frame.
class LinkButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit LinkButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrilux::ui
