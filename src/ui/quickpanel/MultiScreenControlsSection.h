#pragma once

#include "core/platform/Screen.h"
#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"

#include <QWidget>

#include <optional>

namespace tavrilux::ui {

class ExclusionRow;
class MultiScreenModeButton;

// For several displays: a row that excludes the active display (the one holding the focus) or
// lets it back in, and the choice whether every display keeps its own focused window or only the
// active one does. The display row follows the focus while the panel is open; with no known
// active display, or one that is no longer connected, it reads L("active_display_unavailable")
// and does nothing.
class MultiScreenControlsSection final : public QWidget {
    Q_OBJECT
public:
    explicit MultiScreenControlsSection(const UiContext& context, QWidget* parent = nullptr);

    ExclusionRow* displayRow() const { return displayRow_; }
    MultiScreenModeButton* perScreenButton() const { return perScreen_; }
    MultiScreenModeButton* activeScreenButton() const { return activeOnly_; }

    // The connected display whose id is the active display id.
    std::optional<Screen> activeScreen() const;

private:
    void refresh();
    void toggle();

    DimmingSettings& settings_;
    const Screens& screens_;
    ExclusionRow* displayRow_;
    MultiScreenModeButton* perScreen_;
    MultiScreenModeButton* activeOnly_;
    ModelObserver observer_;
};

} // namespace tavrilux::ui
