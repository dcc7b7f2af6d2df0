#pragma once

#include "ui/foundation/Painting.h"

#include <QWidget>

namespace tavrilux::ui {

// A small capsule that shows a keyboard shortcut; it only shows it.
class ShortcutChip final : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutChip(const QString& shortcut, QWidget* parent = nullptr);

    const QString& shortcut() const { return shortcut_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString shortcut_;
};

} // namespace tavrilux::ui
