#pragma once

#include "ui/foundation/Appearance.h"
#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"

#include <QWidget>

#include <functional>
#include <string_view>

class QScrollArea;

namespace tavrilux::ui {

class CollapsibleGlassCard;
class ColorSwatchRow;
class EffectModeRow;
class EnableRow;
class ModeSelectorRow;
class MultiScreenControlsSection;
class PanelSettingsButton;
class PercentSliderRow;
class SliderRow;
class StatusBadge;
class UpdateStatusBanner;
class AppExclusionRow;

// The tray's quick panel: a 320-point column of cards on a frosted rounded backdrop. Whether
// dimming runs and its switch, the presets, the front application's and the active display's
// exclusions, the appearance speed, the glass look, the effect shape, and the way to the
// settings window; an orange banner while an update is available. Every control writes straight
// into the settings; the panel keeps no copy and follows changes made elsewhere (the hot key,
// an update check) while it shows. Built anew each time it opens; only the two cards' folding
// state outlives it, in the standard domain. Taller than its screen allows, the column scrolls
// inside the backdrop.
class QuickPanelView final : public QWidget {
    Q_OBJECT
    // The window that hosts the panel tells it the room it has through this property.
    Q_PROPERTY(int heightLimit READ heightLimit WRITE setHeightLimit)
public:
    static constexpr int kWidth = 320;
    static constexpr int kOuterPadding = 1;
    static constexpr qreal kCornerRadius = 20;
    static constexpr std::string_view kGlassEffectsExpandedKey = "quickPanel.glassEffectsExpanded";
    static constexpr std::string_view kEffectModeExpandedKey = "quickPanel.effectModeExpanded";

    // Either callback may be empty; its control then does nothing.
    QuickPanelView(const UiContext& context, std::function<void()> onOpenSettings,
                   std::function<void()> onOpenAbout, QWidget* parent = nullptr);

    // The most the panel may take up; by default the height of the screen under the pointer
    // (where the tray icon was clicked) less a margin.
    void setHeightLimit(int height);
    int heightLimit() const { return heightLimit_; }

    StatusBadge* badge() const { return badge_; }
    UpdateStatusBanner* updateBanner() const { return banner_; }
    EnableRow* enableRow() const { return enable_; }
    ModeSelectorRow* modeRow() const { return modes_; }
    AppExclusionRow* appExclusionRow() const { return appExclusion_; }
    MultiScreenControlsSection* multiScreenSection() const { return multiScreen_; }
    SliderRow* speedRow() const { return speed_; }
    PercentSliderRow* blurRow() const { return blur_; }
    PercentSliderRow* tintRow() const { return tint_; }
    ColorSwatchRow* colourRow() const { return colours_; }
    PercentSliderRow* grainRow() const { return grain_; }
    CollapsibleGlassCard* glassEffectsCard() const { return glassCard_; }
    CollapsibleGlassCard* effectModeCard() const { return effectCard_; }
    EffectModeRow* effectModeRow() const { return effectRow_; }
    PanelSettingsButton* settingsButton() const { return settingsButton_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    // As tall as the column, within the limit.
    void fitHeight();
    CollapsibleGlassCard* foldingCard(std::string_view title, std::string_view key);
    static void paintBackdrop(QPainter& painter, const QSizeF& size, Appearance appearance,
                              bool translucent);

    UiContext context_;
    std::function<void()> onOpenSettings_;
    std::function<void()> onOpenAbout_;
    QWidget* content_;
    QScrollArea* scroll_;
    int heightLimit_;
    StatusBadge* badge_;
    UpdateStatusBanner* banner_;
    EnableRow* enable_;
    ModeSelectorRow* modes_;
    AppExclusionRow* appExclusion_;
    MultiScreenControlsSection* multiScreen_;
    SliderRow* speed_;
    PercentSliderRow* blur_;
    PercentSliderRow* tint_;
    ColorSwatchRow* colours_;
    PercentSliderRow* grain_;
    CollapsibleGlassCard* glassCard_;
    CollapsibleGlassCard* effectCard_;
    EffectModeRow* effectRow_;
    PanelSettingsButton* settingsButton_;
    ModelObserver observer_;
};

} // namespace tavrilux::ui
