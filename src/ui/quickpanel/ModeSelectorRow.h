#pragma once

#include "core/settings/Enums.h"
#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"
#include "ui/quickpanel/SlidingHighlight.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace tavrilux::ui {

class ModeButton;

// The preset buttons side by side, equally wide. The active preset's button is highlighted, and
// a new preset slides the highlight over with the preset's own spring; with the custom look no
// button is highlighted. A click applies that preset, also the one already active.
class ModeSelectorRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr Spring kPresetSpring{0.38, 0.72};

    ModeSelectorRow(const UiContext& context, std::vector<FocusMode> modes,
                    QWidget* parent = nullptr);

    const std::vector<ModeButton*>& buttons() const { return buttons_; }
    // Where the highlight is drawn now; none without an active preset among the buttons.
    std::optional<QRectF> highlightRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    DimmingSettings& settings_;
    std::vector<ModeButton*> buttons_;
    SlidingHighlight highlight_;
    ModelObserver observer_;
};

} // namespace tavrilux::ui
