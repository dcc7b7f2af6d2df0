#include "ui/components/ViewHeader.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/SymbolTile.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Fonts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

ViewHeader::ViewHeader(const QString& title, const QString& subtitle,
                       const std::optional<std::string>& systemImage, QWidget* trailing,
                       QWidget* parent)
    : QWidget(parent), trailing_(trailing) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    if (systemImage) {
        const UiColor accent = UiColor::fixed(TavriluxTheme::accent);
        icon_ = new SymbolTile(*systemImage, SymbolTile::Look{34, 9, 15, FontWeight::semibold,
                                                              accent.times(0.18), accent});
    } else {
        icon_ = new BrandMark(34);
    }
    row->addWidget(icon_, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    title_ = new TextLabel(title, uiFont(15, FontWeight::bold),
                           UiColor::theme(TavriluxTheme::primaryText));
    subtitle_ = new TextLabel(subtitle, uiFont(11), UiColor::theme(TavriluxTheme::secondaryText));
    for (TextLabel* label : {title_, subtitle_}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        texts->addWidget(label);
    }
    row->addLayout(texts, 1);
    row->addSpacing(8);
    if (trailing_) {
        trailing_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        row->addWidget(trailing_, 0, Qt::AlignVCenter);
    }
}

void ViewHeader::setTitle(const QString& title) {
    title_->setText(title);
}

void ViewHeader::setSubtitle(const QString& subtitle) {
    subtitle_->setText(subtitle);
}

} // namespace tavrilux::ui
