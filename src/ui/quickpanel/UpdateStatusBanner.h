#pragma once

#include "ui/foundation/Painting.h"

#include <QAbstractButton>
#include <QString>

namespace tavrilux::ui {

// The orange banner that announces an update: a download symbol, L("update_available") with a
// badge saying it is new, and the subtitle naming the version. The whole rounded card is the
// button. Its widget keeps room under the card for the card's shadow.
class UpdateStatusBanner final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 14;
    static constexpr int kShadowRoom = 6;

    explicit UpdateStatusBanner(QWidget* parent = nullptr);

    void setVersion(const QString& version);
    // The subtitle with the version filled in.
    const QString& subtitle() const { return subtitle_; }
    QRectF cardRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QString title_;
    QString badge_;
    QString subtitle_;
    CachedPath card_;
};

} // namespace tavrilux::ui
