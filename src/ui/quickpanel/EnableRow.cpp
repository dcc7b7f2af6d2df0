#include "ui/quickpanel/EnableRow.h"

#include "core/localization/LocalizationManager.h"
#include "ui/components/RowTexts.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/quickpanel/ShortcutChip.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

EnableRow::EnableRow(QWidget* parent)
    : QWidget(parent), subtitle_(makeRowSubtitle(QString())), switch_(new TavriluxSwitch(false)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kRowInsetX, 10, kRowInsetX, 10);
    row->setSpacing(8);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    TextLabel* title = makeRowTitle(QString::fromStdString(L("tavrilux_is_active")));
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    texts->addWidget(title);
    // Long translations wrap rather than lose their end.
    subtitle_->setWordWrap(true);
    QSizePolicy wrapping = subtitle_->sizePolicy();
    wrapping.setHorizontalPolicy(QSizePolicy::Ignored);
    subtitle_->setSizePolicy(wrapping);
    texts->addWidget(subtitle_);
    row->addLayout(texts, 1);
    // The hot key as this desktop names it; the grab itself belongs to the tray.
    row->addWidget(new ShortcutChip(toggleDimmingKeys().join(QLatin1Char('+'))), 0,
                   Qt::AlignVCenter);
    row->addWidget(switch_, 0, Qt::AlignVCenter);
    connect(switch_, &TavriluxSwitch::toggleRequested, this, &EnableRow::toggleRequested);
}

void EnableRow::setActive(bool active) {
    switch_->setOn(active);
    subtitle_->setText(
        QString::fromStdString(L(active ? localizationKey("front_window_stays_bright")
                                        : localizationKey("effect_is_paused"))));
}

} // namespace tavrilux::ui
