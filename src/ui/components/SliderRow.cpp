#include "ui/components/SliderRow.h"

#include "ui/components/RowTexts.h"
#include "ui/components/StepSlider.h"
#include "ui/components/TextLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

SliderRow::SliderRow(const QString& title, const QString& subtitle, double lower, double upper,
                     const QString& minLabel, const QString& maxLabel, QWidget* parent)
    : QWidget(parent), slider_(new StepSlider) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kRowInsetX, kRowInsetY, kRowInsetX, kRowInsetY);
    column->setSpacing(6);
    column->addWidget(makeRowTitle(title));
    column->addWidget(makeRowSubtitle(subtitle));
    slider_->setSteps(SliderSteps{lower, upper, 10});
    slider_->setAccessibleName(title);
    column->addWidget(slider_);
    auto* captions = new QHBoxLayout;
    captions->addWidget(makeCaption(minLabel));
    captions->addStretch(1);
    auto* max = makeCaption(maxLabel);
    max->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    captions->addWidget(max);
    column->addLayout(captions);
    connect(slider_, &StepSlider::valueRequested, this, &SliderRow::valueRequested);
}

void SliderRow::setValue(double value) {
    slider_->setValue(value);
}

double SliderRow::value() const {
    return slider_->value();
}

} // namespace tavrilux::ui
