#pragma once

#include <QAbstractButton>

namespace tavrilux::ui {

// The way from the panel to the settings window: a gear and L("settings") in the secondary text
// colour, flat, across the whole width (all of which takes the click). Dims while pressed.
class PanelSettingsButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit PanelSettingsButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrilux::ui
