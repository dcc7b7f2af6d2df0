#pragma once

#include <QWidget>

namespace tavrilux::ui {

// The thin separator between rows: the platform separator with the theme's divider colour laid
// over it, starting `leadingInset` points from the leading edge.
class Divider final : public QWidget {
    Q_OBJECT
public:
    explicit Divider(int leadingInset = 14, QWidget* parent = nullptr);

    QSize sizeHint() const override { return QSize(leadingInset_ + 1, 1); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int leadingInset_;
};

} // namespace tavrilux::ui
