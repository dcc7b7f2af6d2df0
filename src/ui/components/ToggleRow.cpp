#include "ui/components/ToggleRow.h"

#include "ui/components/RowTexts.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/TextLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

ToggleRow::ToggleRow(const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent), switch_(new TavriluxSwitch(false)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kRowInsetX, kRowInsetY, kRowInsetX, kRowInsetY);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(makeRowTitle(title));
    texts->addWidget(makeRowSubtitle(subtitle));
    row->addLayout(texts, 1);
    row->addWidget(switch_, 0, Qt::AlignVCenter);
    connect(switch_, &TavriluxSwitch::toggleRequested, this, &ToggleRow::toggleRequested);
}

void ToggleRow::setOn(bool on) {
    switch_->setOn(on);
}

bool ToggleRow::isOn() const {
    return switch_->isOn();
}

} // namespace tavrilux::ui
