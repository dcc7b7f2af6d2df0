#pragma once

#include <QWidget>

namespace tavrilux::ui {

class TavriluxSwitch;
class TextLabel;

// A title over a subtitle with a switch at the trailing end. Only the switch toggles: its click
// emits toggleRequested with the negation of the state last given through setOn().
class ToggleRow final : public QWidget {
    Q_OBJECT
public:
    ToggleRow(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    void setOn(bool on);
    bool isOn() const;
    TavriluxSwitch* toggle() const { return switch_; }

signals:
    void toggleRequested(bool on);

private:
    TavriluxSwitch* switch_;
};

} // namespace tavrilux::ui
