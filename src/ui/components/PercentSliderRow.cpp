#include "ui/components/PercentSliderRow.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/RowTexts.h"
#include "ui/components/StepSlider.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Fonts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

PercentSliderRow::PercentSliderRow(const QString& title, QWidget* parent)
    : QWidget(parent), readout_(new TextLabel(percentText(0), uiFont(12, FontWeight::medium),
                                              UiColor::theme(TavriluxTheme::secondaryText))),
      slider_(new StepSlider) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kRowInsetX, kRowInsetY, kRowInsetX, kRowInsetY);
    column->setSpacing(8);
    auto* header = new QHBoxLayout;
    header->addWidget(makeRowTitle(title), 1);
    readout_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout_->setElideMode(Qt::ElideNone);
    header->addWidget(readout_);
    column->addLayout(header);
    slider_->setSteps(SliderSteps{0, 1, 10});
    slider_->setAccessibleName(title);
    column->addWidget(slider_);
    connect(slider_, &StepSlider::valueRequested, this, &PercentSliderRow::valueRequested);
}

void PercentSliderRow::setValue(double value) {
    slider_->setValue(value);
    readout_->setText(percentText(value));
}

double PercentSliderRow::value() const {
    return slider_->value();
}

QString PercentSliderRow::readout() const {
    return readout_->text();
}

} // namespace tavrilux::ui
