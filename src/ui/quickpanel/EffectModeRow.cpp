#include "ui/quickpanel/EffectModeRow.h"

#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"
#include "ui/components/Divider.h"
#include "ui/components/PercentSliderRow.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/quickpanel/BouncyButtonStyle.h"
#include "ui/quickpanel/EffectModeButton.h"
#include "ui/quickpanel/FadeStartMapping.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tavrilux::ui {

EffectModeRow::EffectModeRow(const UiContext& context, QWidget* parent)
    : QWidget(parent), settings_(context.settings), group_(new QWidget),
      fadeStart_(new PercentSliderRow(text("fade_start"))),
      aura_(new PercentSliderRow(text("aura_radius"))), highlight_(this),
      observer_([this] { refresh(); }, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 12);
    column->setSpacing(8);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(14, 10, 14, 0);
    row->setSpacing(6);
    for (EffectMode mode : kAllEffectModes) {
        auto* button = new EffectModeButton(mode);
        row->addWidget(button, 1);
        buttons_.push_back(button);
        connect(button, &QAbstractButton::clicked, this, [this, mode] {
            clicked_ = true;
            settings_.setEffectMode(mode);
        });
        connect(&button->bounce(), &BouncyButtonStyle::changed, this, [this] { update(); });
    }
    column->addLayout(row);

    group_->setAttribute(Qt::WA_TranslucentBackground);
    auto* slider = new QVBoxLayout(group_);
    slider->setContentsMargins(0, 0, 0, 0);
    slider->setSpacing(0);
    slider->addWidget(new Divider(14));
    slider->addWidget(fadeStart_);
    slider->addWidget(aura_);
    column->addWidget(group_);
    connect(fadeStart_, &PercentSliderRow::valueRequested, this,
            [this](double v) { settings_.setAmbientFadeStart(fadeStartFromSlider(v)); });
    connect(aura_, &PercentSliderRow::valueRequested, this,
            [this](double v) { settings_.setAuraIntensity(v); });

    connect(&highlight_, &SlidingHighlight::changed, this, [this] { update(); });
    observer_.watch(settings_);
    observer_.refreshNow();
}

void EffectModeRow::refresh() {
    const EffectMode mode = settings_.effectMode.get();
    const int index = selectButtons(
        buttons_, [mode](const EffectModeButton& button) { return button.mode() == mode; });
    // Only our own click slides; a preset's shape takes its place at once.
    highlight_.select(index,
                      clicked_ && isVisible() ? std::optional<Spring>(kSpring) : std::nullopt);
    clicked_ = false;

    const QSignalBlocker blockFade(fadeStart_);
    const QSignalBlocker blockAura(aura_);
    fadeStart_->setValue(fadeStartSliderValue(settings_.ambientFadeStart.get()));
    aura_->setValue(settings_.auraIntensity.get());
    fadeStart_->setVisible(mode == EffectMode::ambient);
    aura_->setVisible(mode == EffectMode::aura);
    group_->setVisible(mode != EffectMode::fullscreen);
}

std::optional<QRectF> EffectModeRow::highlightRect() const {
    if (auto p = highlightPlacement(highlight_, buttons_)) {
        return p->rect;
    }
    return std::nullopt;
}

void EffectModeRow::paintEvent(QPaintEvent*) {
    paintRowHighlight(*this, highlightPlacement(highlight_, buttons_), buttons_, true);
}

} // namespace tavrilux::ui
