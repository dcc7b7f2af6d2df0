#include "ui/onboarding/HowItWorksStep.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Symbols.h"
#include "ui/onboarding/MockWindowsDemo.h"
#include "ui/onboarding/PageLayout.h"

#include <QPainter>

namespace tavrilux::ui {

namespace {
constexpr int kDemoHeight = 200;
constexpr int kSide = 40;
constexpr qreal kTextTop = 40;
constexpr qreal kTextSpacing = 16;
} // namespace

HowItWorksStep::HowItWorksStep(std::function<void()> onNext, DemoTimeline::Clock clock,
                               QWidget* parent)
    : QWidget(parent), timeline_(std::move(clock)), tick_(this),
      demo_(new MockWindowsDemo(timeline_.activeWindow(), this)),
      description_(QString::fromStdString(L("onboarding_how_description")),
                   uiFont(17, FontWeight::semibold), UiColor::theme(TavriluxTheme::primaryText)),
      sentence_(QString::fromStdString(L("onboarding_how_detail")), uiFont(14),
                UiColor::theme(TavriluxTheme::secondaryText)),
      button_(new PrimaryButtonStyle(QString::fromStdString(L("onboarding_mode_continue")), this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    button_->setTrailingSymbol(symbolName("arrow.right"));
    connect(button_, &QPushButton::clicked, this, [onNext = std::move(onNext)] { onNext(); });
    tick_.setSingleShot(true);
    tick_.setTimerType(Qt::PreciseTimer);
    connect(&tick_, &QTimer::timeout, this, &HowItWorksStep::tick);
}

void HowItWorksStep::tick() {
    demo_->setActiveWindow(timeline_.activeWindow());
    tick_.start(timeline_.untilNextTick());
}

void HowItWorksStep::showEvent(QShowEvent*) {
    tick();
}

void HowItWorksStep::hideEvent(QHideEvent*) {
    tick_.stop();
}

void HowItWorksStep::resizeEvent(QResizeEvent*) {
    const qreal column = width() - 2 * kSide;
    const qreal content = kDemoHeight + kTextTop + description_.height(column) + kTextSpacing +
                          sentence_.height(column);
    const qreal top = layOutPage(*this, *button_, content, 40);
    // The demonstration's slot, with room for the windows' shadows above and below.
    demo_->setGeometry(QRect(kSide, static_cast<int>(top), width() - 2 * kSide, kDemoHeight)
                           .adjusted(0, -kSide, 0, kSide));
    textTop_ = top + kDemoHeight + kTextTop;
}

void HowItWorksStep::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal column = width() - 2 * kSide;
    description_.draw(painter, QPointF(kSide, textTop_), column, this);
    sentence_.draw(painter, QPointF(kSide, textTop_ + description_.height(column) + kTextSpacing),
                   column, this);
}

} // namespace tavrilux::ui
