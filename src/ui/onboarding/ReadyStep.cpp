#include "ui/onboarding/ReadyStep.h"

#include "core/localization/LocalizationManager.h"
#include "core/localization/ModeDisplay.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/Spring.h"
#include "ui/foundation/Symbols.h"
#include "ui/onboarding/PageLayout.h"

#include <QPainter>

#include <algorithm>

namespace tavrilux::ui {

namespace {
constexpr qreal kMark = 60;
constexpr qreal kTextTop = 20;
constexpr qreal kSide = 32;
constexpr qreal kSpacing = 12;
constexpr qreal kRise = 8;
constexpr qreal kBenefitSize = 14;
constexpr qreal kSymbolGap = 8;
constexpr Spring kMarkSpring{0.4, 0.75};

// "Flow mode is set up for you": the preset by the name the cards and the panel give it.
QString secondBenefitFor(FocusMode mode) {
    return QString::fromStdString(withArgument(L("onboarding_ready_benefit_2"), displayName(mode)));
}

TextBlock benefit(const QString& sentence) {
    return TextBlock(sentence, uiFont(kBenefitSize), UiColor::theme(TavriluxTheme::primaryText), 1,
                     Qt::AlignLeft);
}
} // namespace

ReadyStep::ReadyStep(FocusMode selectedMode, std::function<void()> onComplete, QWidget* parent)
    : QWidget(parent), entrance_(1.0, this),
      title_(text("onboarding_ready_title"), uiFont(28, FontWeight::bold),
             UiColor::theme(TavriluxTheme::primaryText)),
      benefits_{benefit(text("onboarding_ready_benefit_1")),
                benefit(secondBenefitFor(selectedMode))},
      button_(new PrimaryButtonStyle(text("onboarding_ready_start"), this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    button_->setOpacity(0);
    connect(button_, &QPushButton::clicked, this,
            [onComplete = std::move(onComplete)] { onComplete(); });
    connect(&entrance_, &EntranceClock::changed, this, [this] {
        button_->setOpacity(entrance_.easeOut(0.4, 0.6));
        update();
    });
}

void ReadyStep::showEvent(QShowEvent*) {
    entrance_.start();
}

void ReadyStep::resizeEvent(QResizeEvent*) {
    const qreal column = width() - 2 * kSide;
    qreal content = kMark + kTextTop + title_.height(column);
    for (TextBlock& line : benefits_) {
        content += kSpacing + line.height(column);
    }
    const qreal top = layOutPage(*this, *button_, content, 40);
    mark_ = QRectF((width() - kMark) / 2, top, kMark, kMark);
    titleTop_ = top + kMark + kTextTop;
}

void ReadyStep::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The mark springs from 0.7 to full size as it fades in.
    const double mark =
        entrance_.hasStarted() ? springProgress(kMarkSpring, entrance_.seconds() - 0.1) : 0.0;
    if (mark > 0) {
        painter.save();
        const qreal scale = 0.7 + 0.3 * mark;
        painter.translate(mark_.center());
        painter.scale(scale, scale);
        painter.translate(-mark_.center());
        painter.setOpacity(std::clamp(mark, 0.0, 1.0));
        BrandMark::paint(painter, mark_, BrandMark::applicationIcon());
        painter.restore();
    }

    const qreal column = width() - 2 * kSide;
    const double title = entrance_.easeOut(0.2, 0.6);
    title_.draw(painter, QPointF(kSide, titleTop_ + kRise * (1 - title)), column, this, title);

    const double benefits = entrance_.easeOut(0.3, 0.6);
    if (benefits <= 0) {
        return;
    }
    qreal y = titleTop_ + title_.height(column) + kRise * (1 - benefits);
    const qreal symbol = kBenefitSize * SymbolFont::kScale;
    painter.setOpacity(benefits);
    for (TextBlock& line : benefits_) {
        y += kSpacing;
        const qreal textWidth = line.naturalWidth(column - symbol - kSymbolGap);
        const qreal left = (width() - symbol - kSymbolGap - textWidth) / 2;
        const qreal height = line.height(column - symbol - kSymbolGap);
        drawSymbol(painter, QRectF(left, y, symbol, height), symbolName("checkmark.circle.fill"),
                   kBenefitSize, toQColor(TavriluxTheme::success));
        line.draw(painter, QPointF(left + symbol + kSymbolGap, y), column - symbol - kSymbolGap,
                  this);
        y += height;
    }
}

} // namespace tavrilux::ui
