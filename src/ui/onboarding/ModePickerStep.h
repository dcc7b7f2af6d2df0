#pragma once

#include "core/settings/Enums.h"
#include "ui/onboarding/TextBlock.h"

#include <QWidget>

#include <array>
#include <functional>

namespace tavrilux {
class DimmingSettings;
}

namespace tavrilux::ui {

class ModeCard;
class ModePreview;
class PrimaryButtonStyle;

// The third page: three preset cards (focus, flow, evening) over a preview. Tapping a card
// selects it and puts its preset on the running engine at once, every tap, also on the card
// already selected.
class ModePickerStep final : public QWidget {
    Q_OBJECT
public:
    ModePickerStep(DimmingSettings& settings, FocusMode selectedMode,
                   std::function<void(FocusMode)> setSelectedMode, std::function<void()> onNext,
                   QWidget* parent = nullptr);

    const std::array<ModeCard*, 3>& cards() const { return cards_; }
    ModePreview* preview() const { return preview_; }
    PrimaryButtonStyle* button() const { return button_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void choose(FocusMode mode);

    DimmingSettings& settings_;
    std::function<void(FocusMode)> setSelectedMode_;
    TextBlock title_;
    TextBlock subtitle_;
    std::array<ModeCard*, 3> cards_{};
    ModePreview* preview_;
    PrimaryButtonStyle* button_;
    qreal titleTop_ = 0;
    qreal subtitleTop_ = 0;
};

} // namespace tavrilux::ui
