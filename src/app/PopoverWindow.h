#pragma once

#include <QRect>
#include <QWidget>

#include <memory>
#include <optional>

namespace tavrilux {

// The window the quick panel shows in: frameless, above other windows, and never taking the
// activation, so the application the user works in stays the front one while the panel is open.
// Placed against the status icon (see PopoverPlacement) inside the work area of the icon's
// monitor, clear of task bars and docks; when the panel changes its height the edge nearest the
// icon stays where it is. Content with an int property "heightLimit" is given the room above or
// below the icon, whichever is larger. Translucent when asked, for a panel that paints its own
// rounded glass (only worth it while a compositor runs).
class PopoverWindow final : public QWidget {
    Q_OBJECT
public:
    PopoverWindow(std::unique_ptr<QWidget> content, bool translucent);

    // Shows the window against `anchor` (the icon's rectangle, or the pointer as a point) on
    // the monitor that holds it.
    void showAgainst(const QRect& anchor);
    QWidget* content() const { return content_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
    // The work area of the monitor holding the anchor (the primary one when none does).
    std::optional<QRect> workArea() const;

    QWidget* content_;
    QRect anchor_;
    std::optional<QRect> area_;
    std::optional<bool> above_;
};

} // namespace tavrilux
