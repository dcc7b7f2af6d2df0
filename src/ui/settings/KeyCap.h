#pragma once

#include <QStringList>
#include <QWidget>

namespace tavrilux::ui {

// A keyboard shortcut as key caps, 4 points apart: each key's text in 12-point semibold
// secondary text on a cap at least 22 points square with corners of 6, in the theme's surface
// with a 1-point border.
class KeyCap final : public QWidget {
    Q_OBJECT
public:
    explicit KeyCap(QStringList keys, QWidget* parent = nullptr);

    const QStringList& keys() const { return keys_; }
    // Where each cap is drawn, in order.
    QList<QRectF> capRects() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList keys_;
};

} // namespace tavrilux::ui
