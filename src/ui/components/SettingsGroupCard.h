#pragma once

#include "ui/foundation/Painting.h"

#include <QWidget>

class QVBoxLayout;

namespace tavrilux::ui {

// The settings window's group: a rounded rectangle in the platform's control background with a
// 1-point inner border in the theme's divider colour and a faint shadow, holding its rows in a
// column without spacing or inset. The platform colour adapts to the appearance by itself.
class SettingsGroupCard final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 10;

    explicit SettingsGroupCard(QWidget* parent = nullptr);

    QVBoxLayout* contentLayout() const { return layout_; }
    void addWidget(QWidget* widget);
    // A divider inset `leadingInset` points (14 between rows, 52 under a row with an icon).
    void addDivider(int leadingInset = 14);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF cardRect() const;

    QVBoxLayout* layout_;
    CachedPath shape_;
    CachedPath border_;
};

} // namespace tavrilux::ui
