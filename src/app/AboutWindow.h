#pragma once

#include <QWidget>

#include <memory>

namespace tavrilux {

namespace ui {
class WindowCloseButton;
}

// The small About window: its content at a fixed size, without a title bar, so that no window
// manager shows a minimise or maximise button on it (openbox puts both on every titled window,
// whatever its hints say), and with a close button of its own in the top trailing corner. It
// moves by its background. Closing hides it; showing it again shows the same window.
class AboutWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCloseInset = 8;

    explicit AboutWindow(std::unique_ptr<QWidget> content);

    ui::WindowCloseButton* closeButton() const { return closeButton_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ui::WindowCloseButton* closeButton_;
};

} // namespace tavrilux
