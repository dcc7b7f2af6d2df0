#include "ui/components/CollapsibleGlassCard.h"

#include "ui/components/DisclosureHeader.h"
#include "ui/components/Divider.h"
#include "ui/components/GlassCard.h"

#include <QVBoxLayout>

namespace tavrilux::ui {

CollapsibleGlassCard::CollapsibleGlassCard(const QString& title, bool expanded, QWidget* parent)
    : QWidget(parent), card_(new GlassCard), header_(new DisclosureHeader(title)),
      body_(new QWidget), content_(new QVBoxLayout) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(card_);
    card_->addWidget(header_);
    auto* body = new QVBoxLayout(body_);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(new Divider(14));
    content_->setContentsMargins(0, 0, 0, 0);
    content_->setSpacing(0);
    body->addLayout(content_);
    card_->addWidget(body_);
    connect(header_, &QAbstractButton::clicked, this,
            [this] { emit expansionRequested(!isExpanded()); });
    setExpanded(expanded);
}

bool CollapsibleGlassCard::isExpanded() const {
    return header_->isExpanded();
}

void CollapsibleGlassCard::setExpanded(bool expanded) {
    header_->setExpanded(expanded);
    body_->setVisible(expanded);
}

void CollapsibleGlassCard::addWidget(QWidget* widget) {
    content_->addWidget(widget);
}

void CollapsibleGlassCard::addDivider() {
    content_->addWidget(new Divider(14));
}

} // namespace tavrilux::ui
