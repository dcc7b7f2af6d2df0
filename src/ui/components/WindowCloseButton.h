#pragma once

#include <QAbstractButton>

namespace tavrilux::ui {

// The close button of a window without a title bar: a small circle with a cross, filled a step
// darker under the pointer and ringed while it has the focus. Assistive technology reads it as
// L("close").
class WindowCloseButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kSize = 20;

    explicit WindowCloseButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrilux::ui
