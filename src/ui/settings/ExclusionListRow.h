#pragma once

#include <QWidget>

namespace tavrilux::ui {

class SecondaryButtonStyle;

// A row of an exclusion list: its content (an icon and texts), and at the trailing end a
// Remove button whose click emits removeRequested at once, without confirmation.
class ExclusionListRow final : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of `icon` and `texts`.
    ExclusionListRow(QWidget* icon, QWidget* texts, QWidget* parent = nullptr);

    SecondaryButtonStyle* removeButton() const { return remove_; }

Q_SIGNALS:
    void removeRequested();

private:
    SecondaryButtonStyle* remove_;
};

} // namespace tavrilux::ui
