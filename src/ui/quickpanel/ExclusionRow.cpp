#include "ui/quickpanel/ExclusionRow.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/RowTexts.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/quickpanel/BadgedIcon.h"
#include "ui/quickpanel/ExclusionPill.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrilux::ui {

ExclusionRow::ExclusionRow(QWidget* parent)
    : QAbstractButton(parent), icon_(new BadgedIcon),
      title_(new TextLabel(QString(), uiFont(13, FontWeight::medium),
                           UiColor::theme(TavriluxTheme::primaryText))),
      subtitle_(makeRowSubtitle(QString())), pill_(new ExclusionPill) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The icon's widget reaches past its square for the badge; the insets make up for it.
    constexpr int o = BadgedIcon::kOverhang;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kRowInsetX - o, 11 - o, kRowInsetX, 11 - o);
    row->setSpacing(0);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addSpacing(kSpacing - o);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    for (TextLabel* label : {title_, subtitle_}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        texts->addWidget(label);
    }
    row->addLayout(texts, 1);
    row->addSpacing(kSpacing);
    row->addWidget(pill_, 0, Qt::AlignVCenter);
    for (QWidget* child : std::initializer_list<QWidget*>{icon_, title_, subtitle_, pill_}) {
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

void ExclusionRow::setContent(const QString& title, const QString& subtitle,
                              const QString& excludeLabel, bool isExcluded, bool isAvailable) {
    title_->setText(title);
    title_->setColor(
        UiColor::theme(isAvailable ? TavriluxTheme::primaryText : TavriluxTheme::secondaryText));
    subtitle_->setText(subtitle);
    setAccessibleName(title);
    icon_->setExcluded(isExcluded);
    pill_->setState(isExcluded, excludeLabel);
    if (isExcluded != excluded_) {
        excluded_ = isExcluded;
        update();
    }
    // Disabled, every part dims itself (the texts as all texts do).
    setEnabled(isAvailable);
}

void ExclusionRow::paintEvent(QPaintEvent*) {
    if (!excluded_ && !isDown()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath& shape = wash_.get(Shape::rounded(12), rect());
    if (excluded_) {
        painter.fillPath(shape, toQColor(TavriluxTheme::accent, 0.08));
    }
    if (isDown()) {
        painter.fillPath(shape, resolve(TavriluxTheme::surface, appearanceOf(this)));
    }
}

} // namespace tavrilux::ui
