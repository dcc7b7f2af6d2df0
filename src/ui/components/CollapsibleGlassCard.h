#pragma once

#include <QString>
#include <QWidget>

class QVBoxLayout;

namespace tavrilux::ui {

class DisclosureHeader;
class GlassCard;

// A glass card that folds: a header row (title and chevron) and, only while expanded, a divider
// inset 14 points above the content. A click anywhere on the header emits expansionRequested
// with the negation; the owner stores the flag and calls setExpanded(). Folding is immediate.
//
//     auto* card = new CollapsibleGlassCard(L("glass_effects"), expanded);
//     card->addWidget(blurRow);
//     connect(card, &CollapsibleGlassCard::expansionRequested, ...store, then setExpanded...);
class CollapsibleGlassCard final : public QWidget {
    Q_OBJECT
public:
    CollapsibleGlassCard(const QString& title, bool expanded, QWidget* parent = nullptr);

    bool isExpanded() const;
    void setExpanded(bool expanded);

    QVBoxLayout* contentLayout() const { return content_; }
    void addWidget(QWidget* widget);
    // A divider inset 14 points between rows of the content.
    void addDivider();

    DisclosureHeader* header() const { return header_; }
    // The divider and the content, shown only while expanded.
    QWidget* body() const { return body_; }

signals:
    void expansionRequested(bool expanded);

private:
    GlassCard* card_;
    DisclosureHeader* header_;
    QWidget* body_;
    QVBoxLayout* content_;
};

} // namespace tavrilux::ui
