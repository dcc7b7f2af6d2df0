#pragma once

#include <QWidget>

namespace tavrilux::ui {

class TavriluxSwitch;
class TextLabel;

// The panel's on/off row: whether the effect runs (the front window stays bright, or the effect
// is paused), the hot key's chip, and the switch. The switch asks; the owner writes the setting.
class EnableRow final : public QWidget {
    Q_OBJECT
public:
    explicit EnableRow(QWidget* parent = nullptr);

    void setActive(bool active);
    TavriluxSwitch* toggle() const { return switch_; }
    TextLabel* subtitle() const { return subtitle_; }

signals:
    void toggleRequested(bool on);

private:
    TextLabel* subtitle_;
    TavriluxSwitch* switch_;
};

} // namespace tavrilux::ui
