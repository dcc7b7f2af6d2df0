#include "ui/onboarding/PageLayout.h"

#include <QWidget>

#include <algorithm>
#include <numeric>

namespace tavrilux::ui {

namespace {
// The least room kept above the content and between it and the button.
constexpr qreal kMinMargin = 16;
} // namespace

qreal layOutPage(const QWidget& page, QWidget& button, qreal contentHeight, qreal bottomInset,
                 std::vector<qreal>* gaps) {
    const QSize size = button.sizeHint();
    const qreal buttonTop = page.height() - bottomInset - size.height();
    button.setGeometry((page.width() - size.width()) / 2, static_cast<int>(buttonTop), size.width(),
                       size.height());
    const qreal overflow = contentHeight - (buttonTop - 2 * kMinMargin);
    if (overflow > 0 && gaps != nullptr) {
        const qreal total = std::accumulate(gaps->begin(), gaps->end(), 0.0);
        const qreal keep = total > 0 ? std::max(0.0, (total - overflow) / total) : 1.0;
        for (qreal& gap : *gaps) {
            gap *= keep;
        }
        contentHeight -= total * (1 - keep);
    }
    return std::max(std::min(kMinMargin, buttonTop - contentHeight),
                    (buttonTop - contentHeight) / 2);
}

} // namespace tavrilux::ui
