#pragma once

#include "core/settings/Enums.h"
#include "ui/onboarding/EntranceClock.h"
#include "ui/onboarding/TextBlock.h"

#include <QWidget>

#include <array>
#include <functional>

namespace tavrilux::ui {

class PrimaryButtonStyle;

// The last page: the brand mark springs in, then the title, two benefits (the second naming the
// chosen preset) and the button that ends the flow, one after the other.
class ReadyStep final : public QWidget {
    Q_OBJECT
public:
    ReadyStep(FocusMode selectedMode, std::function<void()> onComplete, QWidget* parent = nullptr);

    PrimaryButtonStyle* button() const { return button_; }
    bool showsContent() const { return entrance_.hasStarted(); }
    // The second benefit, e.g. "Flow mode is set up for you".
    const QString& secondBenefit() const { return benefits_.at(1).text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    EntranceClock entrance_;
    TextBlock title_;
    std::array<TextBlock, 2> benefits_;
    PrimaryButtonStyle* button_;
    QRectF mark_;
    qreal titleTop_ = 0;
};

} // namespace tavrilux::ui
