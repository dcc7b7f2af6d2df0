#pragma once

#include "ui/foundation/Painting.h"

#include <QAbstractButton>

namespace tavrilux::ui {

class BadgedIcon;
class ExclusionPill;
class TextLabel;

// A row that excludes one thing from dimming or lets it back in: an icon with its badge, a title
// over a subtitle, and the pill at the trailing end; the whole row is the button. While excluded
// the row lies on a faint wash of the accent. A row with nothing to act on is disabled, dimmed,
// and takes no clicks.
class ExclusionRow final : public QAbstractButton {
    Q_OBJECT
public:
    // Between the icon, the texts and the pill.
    static constexpr int kSpacing = 11;

    explicit ExclusionRow(QWidget* parent = nullptr);

    void setContent(const QString& title, const QString& subtitle, const QString& excludeLabel,
                    bool isExcluded, bool isAvailable);

    BadgedIcon* icon() const { return icon_; }
    ExclusionPill* pill() const { return pill_; }
    TextLabel* titleLabel() const { return title_; }
    bool isExcluded() const { return excluded_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BadgedIcon* icon_;
    TextLabel* title_;
    TextLabel* subtitle_;
    ExclusionPill* pill_;
    bool excluded_ = false;
    CachedPath wash_;
};

} // namespace tavrilux::ui
