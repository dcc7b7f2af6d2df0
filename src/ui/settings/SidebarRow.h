#pragma once

#include "core/navigation/SettingsTab.h"
#include "ui/foundation/Painting.h"

#include <QAbstractButton>

namespace tavrilux::ui {

// One tab in the settings window's sidebar: the tab's symbol in white on a 24-point tile of the
// tab's colour (a gradient, corners of 6), then its 13-point title. The selected row sits on
// the platform accent with white text; a click asks for the tab through clicked().
class SidebarRow final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kHeight = 32;

    explicit SidebarRow(SettingsTab tab, QWidget* parent = nullptr);

    SettingsTab tab() const { return tab_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    // Looks the title up again (after a change of language).
    void updateTitle();

    // The tile's colour in an appearance, as the platform's named colours are.
    static QColor tileColor(SystemColor colour, bool dark);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    SettingsTab tab_;
    bool selected_ = false;
    // Ringed only when reached with the keyboard, not when the window gives it the focus.
    bool keyboardFocus_ = false;
    CachedPath highlight_;
    CachedPath tile_;
};

} // namespace tavrilux::ui
