#include "ui/components/SettingsActionRow.h"

#include "ui/components/BorderedButton.h"
#include "ui/components/RowTexts.h"
#include "ui/components/TextLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

SettingsActionRow::SettingsActionRow(const QString& title, const std::optional<QString>& subtitle,
                                     const QString& buttonTitle, QWidget* parent)
    : QWidget(parent), button_(new BorderedButton(buttonTitle)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kRowInsetX, kRowInsetY, kRowInsetX, kRowInsetY);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(makeRowTitle(title));
    if (subtitle) {
        texts->addWidget(makeRowSubtitle(*subtitle));
    }
    row->addLayout(texts, 1);
    row->addWidget(button_, 0, Qt::AlignVCenter);
    connect(button_, &QPushButton::clicked, this, &SettingsActionRow::triggered);
}

} // namespace tavrilux::ui
