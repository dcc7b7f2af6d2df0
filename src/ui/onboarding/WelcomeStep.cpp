#include "ui/onboarding/WelcomeStep.h"

#include "core/animation/MediaTimingFunction.h"
#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/Symbols.h"
#include "ui/onboarding/BlurRadius.h"
#include "ui/onboarding/MotionClock.h"
#include "ui/onboarding/PageLayout.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr qreal kMark = 80;
constexpr qreal kTextTop = 28;
constexpr qreal kTextSide = 40;
constexpr qreal kTextSpacing = 12;
constexpr qreal kRise = 8;
constexpr double kBreath = 2.5; // seconds from dim to bright
constexpr Rgba kGlow{0.12, 0.42, 0.44, 1};
// The glow is blurred once at each of these radii and cross-faded between neighbours.
constexpr std::array<qreal, 4> kGlowRadii{20, 25, 30, 35};

QFont headlineFont() {
    QFont font = uiFont(28, FontWeight::bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.03);
    return font;
}
} // namespace

WelcomeStep::WelcomeStep(const MotionClock& clock, std::function<void()> onNext, QWidget* parent)
    : QWidget(parent), clock_(clock), entrance_(0.96, this),
      headline_(text("onboarding_welcome_headline"), headlineFont(),
                UiColor::theme(TavriluxTheme::primaryText), 3),
      subtitle_(text("onboarding_welcome_subtitle"), uiFont(17),
                UiColor::theme(TavriluxTheme::secondaryText)),
      button_(new PrimaryButtonStyle(text("onboarding_get_started"), this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    button_->setTrailingSymbol(symbolName("arrow.right"));
    button_->setOpacity(0);
    connect(button_, &QPushButton::clicked, this, [onNext = std::move(onNext)] { onNext(); });
    connect(&entrance_, &EntranceClock::changed, this, [this] {
        button_->setOpacity(entrance_.easeOut(0.36, 0.6));
        update();
    });
    // Only the glow breathes with the clock.
    connect(&clock_, &MotionClock::ticked, this, [this] {
        const qreal room = ShadowCache::margin(blurSigma(kGlowRadii.back()));
        update(mark_.adjusted(-room, -room, room, room).toAlignedRect());
    });
}

void WelcomeStep::showEvent(QShowEvent*) {
    if (!entrance_.hasStarted()) {
        glowStart_ = clock_.seconds();
        entrance_.start();
    }
}

qreal WelcomeStep::glowRadius() const {
    if (!entrance_.hasStarted()) {
        return kGlowRadii.front();
    }
    // Swells and ebbs endlessly, easing in and out of each turn.
    const double legs = std::max(0.0, clock_.seconds() - glowStart_) / kBreath;
    double fraction = legs - std::floor(legs);
    if (std::fmod(std::floor(legs), 2.0) != 0) {
        fraction = 1 - fraction;
    }
    return kGlowRadii.front() + (kGlowRadii.back() - kGlowRadii.front()) *
                                    MediaTimingFunction::easeInEaseOut().valueAt(fraction);
}

void WelcomeStep::resizeEvent(QResizeEvent*) {
    layOut();
}

void WelcomeStep::layOut() {
    const qreal column = width() - 2 * kTextSide;
    const qreal content =
        kMark + kTextTop + headline_.height(column) + kTextSpacing + subtitle_.height(column);
    const qreal top = layOutPage(*this, *button_, content, 40);
    mark_ = QRectF((width() - kMark) / 2, top, kMark, kMark);
    textTop_ = top + kMark + kTextTop;
}

void WelcomeStep::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal radius = glowRadius();
    const auto upper = std::lower_bound(kGlowRadii.begin(), kGlowRadii.end(), radius);
    const auto lower = upper == kGlowRadii.begin() ? upper : upper - 1;
    const qreal span = *upper - *lower;
    const qreal weight = span > 0 ? (radius - *lower) / span : 1;
    const Shape shape = Shape::rounded(kMark * 0.26);
    for (const auto& [level, amount] : {std::pair{*lower, 1 - weight}, std::pair{*upper, weight}}) {
        if (amount > 0.001) {
            painter.setOpacity(amount);
            ShadowCache::shared().drawShadow(painter, shape, mark_, toQColor(kGlow, 0.5),
                                             blurSigma(level), QPointF());
        }
    }
    painter.setOpacity(1);
    BrandMark::paint(painter, mark_, BrandMark::applicationIcon());

    const qreal column = width() - 2 * kTextSide;
    const double headline = entrance_.easeOut(0.12, 0.6);
    const double subtitle = entrance_.easeOut(0.24, 0.6);
    qreal y = textTop_;
    headline_.draw(painter, QPointF(kTextSide, y + kRise * (1 - headline)), column, this, headline);
    y += headline_.height(column) + kTextSpacing;
    subtitle_.draw(painter, QPointF(kTextSide, y + kRise * (1 - subtitle)), column, this, subtitle);
}

} // namespace tavrilux::ui
