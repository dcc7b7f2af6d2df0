#include "ui/onboarding/ProgressDots.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/SpringAnimator.h"
#include "ui/foundation/UiColor.h"

#include <QPainter>

#include <algorithm>

namespace tavrilux::ui {

namespace {
constexpr Spring kSpring{0.3, 0.7};

QColor mix(const QColor& from, const QColor& to, qreal amount) {
    return mixColours(from, to, std::clamp<qreal>(amount, 0, 1));
}
} // namespace

ProgressDots::ProgressDots(int current, int total, QWidget* parent)
    : QWidget(parent), current_(current) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int i = 0; i < std::max(0, total); ++i) {
        auto* highlight = new SpringAnimator(i == current ? 1.0 : 0.0, this);
        connect(highlight, &SpringAnimator::valueChanged, this, qOverload<>(&QWidget::update));
        highlights_.push_back(highlight);
    }
    setFixedSize(sizeHint());
}

void ProgressDots::setCurrent(int current) {
    current_ = current;
    for (int i = 0; i < total(); ++i) {
        highlights_.at(static_cast<std::size_t>(i))->animateTo(i == current ? 1.0 : 0.0, kSpring);
    }
}

QPointF ProgressDots::dotCentre(int index) const {
    return QPointF(index * (kDot + kSpacing) + kDot / 2.0, kDot / 2.0);
}

QSize ProgressDots::sizeHint() const {
    return QSize(std::max(0, total() * kDot + (total() - 1) * kSpacing), kDot);
}

void ProgressDots::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor off = UiColor::theme(TavriluxTheme::surface).resolve(this);
    const QColor on = toQColor(TavriluxTheme::accent);
    for (int i = 0; i < total(); ++i) {
        painter.setBrush(mix(off, on, highlights_.at(static_cast<std::size_t>(i))->value()));
        const QPointF centre = dotCentre(i);
        painter.drawEllipse(centre, kDot / 2.0, kDot / 2.0);
    }
}

} // namespace tavrilux::ui
