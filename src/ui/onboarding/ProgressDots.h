#pragma once

#include <QWidget>

#include <vector>

namespace tavrilux::ui {

class SpringAnimator;

// A row of small dots, one per page, the current one in the accent colour. The highlight
// springs from dot to dot.
class ProgressDots final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDot = 6;
    static constexpr int kSpacing = 6;

    // `total` below zero counts as none.
    ProgressDots(int current, int total, QWidget* parent = nullptr);

    int current() const { return current_; }
    int total() const { return static_cast<int>(highlights_.size()); }
    void setCurrent(int current);
    // The centre of dot `index`, for tests and for whoever places the row.
    QPointF dotCentre(int index) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int current_;
    std::vector<SpringAnimator*> highlights_;
};

} // namespace tavrilux::ui
