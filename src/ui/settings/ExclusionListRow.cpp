#include "ui/settings/ExclusionListRow.h"

#include "core/localization/LocalizationManager.h"
#include "ui/components/SecondaryButtonStyle.h"

#include <QHBoxLayout>

namespace tavrilux::ui {

ExclusionListRow::ExclusionListRow(QWidget* icon, QWidget* texts, QWidget* parent)
    : QWidget(parent), remove_(new SecondaryButtonStyle(
                           QString::fromStdString(L(localizationKey("remove_exclusion"))))) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(12);
    row->addWidget(icon, 0, Qt::AlignVCenter);
    row->addWidget(texts, 1, Qt::AlignVCenter);
    row->addWidget(remove_, 0, Qt::AlignVCenter);
    connect(remove_, &QPushButton::clicked, this, &ExclusionListRow::removeRequested);
}

} // namespace tavrilux::ui
