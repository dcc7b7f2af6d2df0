#pragma once

#include <QWidget>

#include <optional>

namespace tavrilux::ui {

class BorderedButton;

// A title (over an optional subtitle) with one push button at the trailing end; a click emits
// triggered once. Disabled (setEnabled(false)), the row dims and does nothing.
class SettingsActionRow final : public QWidget {
    Q_OBJECT
public:
    SettingsActionRow(const QString& title, const std::optional<QString>& subtitle,
                      const QString& buttonTitle, QWidget* parent = nullptr);

    BorderedButton* button() const { return button_; }

signals:
    void triggered();

private:
    BorderedButton* button_;
};

} // namespace tavrilux::ui
