#pragma once

#include "ui/foundation/Appearance.h"
#include "ui/foundation/SpringAnimator.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace tavrilux::ui {

// A miniature window of 140 x 100 points: a title bar with three dots and its title, and three
// grey lines of content. Inactive, it looks as a window under the dimming does: faint, a little
// smaller, half desaturated, with a weaker shadow; turning active it springs back. The widget is
// larger than the window by the room its shadow needs; the window sits in its centre.
class MockWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kWindowSize{140, 100};

    MockWindow(QString title, bool isActive, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    bool isActive() const { return isActive_; }
    void setActive(bool active);
    // How active it looks, 0 to 1 (beyond 1 while the spring overshoots).
    qreal activeness() const { return activeness_.value(); }

    // The widget's size for the window and its shadow.
    static QSize widgetSize();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintWindow(QPainter& painter);
    // The window drawn once per look; desaturated by `grayscale` (0 to 1).
    const QImage& body(qreal grayscale);

    QString title_;
    bool isActive_;
    SpringAnimator activeness_;
    QImage desaturated_;
    qreal desaturatedAmount_ = -1;
    qint64 desaturatedFrom_ = 0;
    // The whole miniature at rest.
    QImage resting_;
    qreal restingActiveness_ = -1;
    Appearance restingAppearance_ = Appearance::light;
};

} // namespace tavrilux::ui
