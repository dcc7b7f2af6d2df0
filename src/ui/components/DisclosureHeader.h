#pragma once

#include <QAbstractButton>

namespace tavrilux::ui {

// The header row of a foldable card: a 13-point semibold title and, at the trailing end, a
// chevron that points down when expanded and right when collapsed. The whole row is the button,
// the empty middle included.
class DisclosureHeader final : public QAbstractButton {
    Q_OBJECT
public:
    explicit DisclosureHeader(const QString& title, QWidget* parent = nullptr);

    void setExpanded(bool expanded);
    bool isExpanded() const { return expanded_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool expanded_ = true;
};

} // namespace tavrilux::ui
