#pragma once

#include <QWidget>

#include <array>

namespace tavrilux::ui {

class MockWindow;

// Three miniature windows, Notes, Mail and Browser, overlapping around the centre: the bright
// one is in front, the two others look dimmed and keep Notes behind Mail behind Browser. Any
// index but 0, 1 or 2 dims all three.
class MockWindowsDemo final : public QWidget {
    Q_OBJECT
public:
    explicit MockWindowsDemo(int activeWindow, QWidget* parent = nullptr);

    int activeWindow() const { return activeWindow_; }
    // The stacking order switches at once; the two windows concerned spring to their new look.
    void setActiveWindow(int index);

    const std::array<MockWindow*, 3>& windows() const { return windows_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    std::array<MockWindow*, 3> windows_{};
    int activeWindow_;
};

} // namespace tavrilux::ui
