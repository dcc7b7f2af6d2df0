#include "ui/quickpanel/ModeSelectorRow.h"

#include "core/settings/DimmingSettings.h"
#include "ui/quickpanel/BouncyButtonStyle.h"
#include "ui/quickpanel/ModeButton.h"

#include <QHBoxLayout>

namespace tavrilux::ui {

ModeSelectorRow::ModeSelectorRow(const UiContext& context, std::vector<FocusMode> modes,
                                 QWidget* parent)
    : QWidget(parent), settings_(context.settings), highlight_(this),
      observer_([this] { refresh(); }, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    for (FocusMode mode : modes) {
        auto* button = new ModeButton(mode);
        row->addWidget(button, 1);
        buttons_.push_back(button);
        connect(button, &QAbstractButton::clicked, this,
                [this, mode] { settings_.applyMode(mode); });
        connect(&button->bounce(), &BouncyButtonStyle::changed, this, [this] { update(); });
    }
    connect(&highlight_, &SlidingHighlight::changed, this, [this] { update(); });
    observer_.watch(settings_);
    observer_.refreshNow();
}

void ModeSelectorRow::refresh() {
    const FocusMode active = settings_.activeMode.get();
    const int index = selectButtons(
        buttons_, [active](const ModeButton& button) { return button.mode() == active; });
    // A preset arrives along its spring; the custom look (a slider moved) shows at once.
    highlight_.select(index, index == SlidingHighlight::kNone || !isVisible()
                                 ? std::nullopt
                                 : std::optional<Spring>(kPresetSpring));
}

std::optional<QRectF> ModeSelectorRow::highlightRect() const {
    if (auto p = highlightPlacement(highlight_, buttons_)) {
        return p->rect;
    }
    return std::nullopt;
}

void ModeSelectorRow::paintEvent(QPaintEvent*) {
    paintRowHighlight(*this, highlightPlacement(highlight_, buttons_), buttons_, false);
}

} // namespace tavrilux::ui
