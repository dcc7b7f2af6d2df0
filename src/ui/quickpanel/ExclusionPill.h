#pragma once

#include "ui/foundation/Presence.h"

#include <QString>
#include <QWidget>

namespace tavrilux::ui {

// The trailing capsule of an exclusion row: the row's exclude label on a plain capsule, or,
// once excluded, a check mark and L("remove_exclusion") in white on the accent. As wide as its
// text.
class ExclusionPill final : public QWidget {
    Q_OBJECT
public:
    static constexpr Spring kSpring{0.38, 0.72};

    explicit ExclusionPill(QWidget* parent = nullptr);

    void setState(bool isExcluded, const QString& excludeLabel);
    bool isExcluded() const { return excluded_; }
    // The text shown now.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool excluded_ = false;
    QString excludeLabel_;
    QString removeLabel_;
    Presence check_;
};

} // namespace tavrilux::ui
