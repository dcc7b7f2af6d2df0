#pragma once

#include "core/settings/Enums.h"
#include "core/theme/Rgba.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/SpringAnimator.h"
#include "ui/onboarding/TextBlock.h"

#include <QAbstractButton>
#include <QImage>

namespace tavrilux::ui {

// One preset to choose on the preset page: an emoji on a gradient tile, the preset's name and a
// short description on a card. Selected, the card grows a little, brightens, is ringed in the
// accent colour and shows a badge saying so; the change springs. Emits clicked() when tapped.
class ModeCard final : public QAbstractButton {
    Q_OBJECT
public:
    // Room the widget leaves around the card for it to grow into when selected.
    static constexpr int kGrowRoom = 4;

    struct Look {
        QString icon;
        QString title;
        QString description;
        Rgba gradientFrom; // top-leading corner
        Rgba gradientTo;   // bottom-trailing corner
    };

    ModeCard(FocusMode mode, Look look, bool isSelected, QWidget* parent = nullptr);

    FocusMode mode() const { return mode_; }
    bool isSelected() const { return isSelected_; }
    void setSelected(bool selected);
    // 0 (not selected) to 1 (selected), springing between.
    qreal selection() const { return selection_.value(); }

    // The card's own rectangle in the widget (the widget leaves room to grow).
    QRectF cardRect() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct RestingLook {
        qreal selection = -1;
        Appearance appearance = Appearance::light;
        bool focused = false;
        friend bool operator==(const RestingLook&, const RestingLook&) = default;
    };

    void paintCard(QPainter& painter);
    // The card's height at a width, with or without the badge.
    qreal cardHeight(qreal width, bool withBadge) const;

    FocusMode mode_;
    Look look_;
    bool isSelected_;
    SpringAnimator selection_;
    mutable TextBlock title_;
    mutable TextBlock description_;
    TextBlock badge_;
    CachedPath shape_;
    QImage resting_;
    RestingLook restingLook_;
};

} // namespace tavrilux::ui
