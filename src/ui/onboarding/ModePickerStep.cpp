#include "ui/onboarding/ModePickerStep.h"

#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/Symbols.h"
#include "ui/onboarding/ModeCard.h"
#include "ui/onboarding/ModePreview.h"
#include "ui/onboarding/PageLayout.h"

#include <QPainter>

#include <algorithm>

namespace tavrilux::ui {

namespace {
constexpr int kSide = 24;
constexpr int kCardSpacing = 12;

struct CardLook {
    FocusMode mode;
    const char* icon;
    const char* title;
    const char* description;
    Rgba from;
    Rgba to;
};

const std::array<CardLook, 3> kCards{
    CardLook{FocusMode::focus, "\U0001F3AF", "onboarding_mode_focus_title",
             "onboarding_mode_focus_desc", Rgba{0.44, 0.72, 0.79, 1}, Rgba{0.12, 0.42, 0.44, 1}},
    CardLook{FocusMode::flow, "\u2728", "onboarding_mode_flow_title", "onboarding_mode_flow_desc",
             Rgba{0.12, 0.42, 0.44, 1}, Rgba{0.36, 0.60, 0.30, 1}},
    CardLook{FocusMode::evening, "\U0001F319", "onboarding_mode_evening_title",
             "onboarding_mode_evening_desc", Rgba{0.36, 0.60, 0.30, 1}, Rgba{0.91, 0.64, 0.24, 1}},
};
} // namespace

ModePickerStep::ModePickerStep(DimmingSettings& settings, FocusMode selectedMode,
                               std::function<void(FocusMode)> setSelectedMode,
                               std::function<void()> onNext, QWidget* parent)
    : QWidget(parent), settings_(settings), setSelectedMode_(std::move(setSelectedMode)),
      title_(text("onboarding_choose_mode_title"), uiFont(24, FontWeight::bold),
             UiColor::theme(TavriluxTheme::primaryText)),
      subtitle_(text("onboarding_choose_mode_subtitle"), uiFont(13),
                UiColor::theme(TavriluxTheme::secondaryText)),
      preview_(new ModePreview(selectedMode, this)),
      button_(new PrimaryButtonStyle(text("onboarding_mode_continue"), this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    for (std::size_t i = 0; i < kCards.size(); ++i) {
        const CardLook& look = kCards.at(i);
        auto* card = new ModeCard(look.mode,
                                  ModeCard::Look{QString::fromUtf8(look.icon), text(look.title),
                                                 text(look.description), look.from, look.to},
                                  look.mode == selectedMode, this);
        connect(card, &QAbstractButton::clicked, this, [this, mode = look.mode] { choose(mode); });
        cards_.at(i) = card;
    }
    button_->setTrailingSymbol(symbolName("arrow.right"));
    connect(button_, &QPushButton::clicked, this, [onNext = std::move(onNext)] { onNext(); });
}

void ModePickerStep::choose(FocusMode mode) {
    setSelectedMode_(mode);
    for (ModeCard* card : cards_) {
        card->setSelected(card->mode() == mode);
    }
    preview_->setSelectedMode(mode);
    settings_.applyMode(mode);
}

void ModePickerStep::resizeEvent(QResizeEvent*) {
    const qreal column = width() - 2 * kSide;
    const int cardWidth = (width() - 2 * kSide - 2 * kCardSpacing) / 3;
    const int grow = ModeCard::kGrowRoom;
    int cardsHeight = 0; // the cards themselves, without the room they grow into
    for (ModeCard* card : cards_) {
        cardsHeight = std::max(cardsHeight, card->heightForWidth(cardWidth + 2 * grow) - 2 * grow);
    }
    const int previewHeight = preview_->sizeHint().height();
    // Below the title, the subtitle, the cards and the preview.
    std::vector<qreal> gaps{8, 24, 32, 32};
    const auto content = [&] {
        return title_.height(column) + gaps[0] + subtitle_.height(column) + gaps[1] + cardsHeight +
               gaps[2] + previewHeight + gaps[3];
    };
    const qreal top = layOutPage(*this, *button_, content(), 40, &gaps);
    titleTop_ = top;
    subtitleTop_ = titleTop_ + title_.height(column) + gaps[0];
    const int cardsTop = static_cast<int>(subtitleTop_ + subtitle_.height(column) + gaps[1]);
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        cards_.at(i)->setGeometry(kSide + static_cast<int>(i) * (cardWidth + kCardSpacing) - grow,
                                  cardsTop - grow, cardWidth + 2 * grow, cardsHeight + 2 * grow);
    }
    preview_->setGeometry(kSide, cardsTop + cardsHeight + static_cast<int>(gaps[2]),
                          width() - 2 * kSide, previewHeight);
}

void ModePickerStep::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal column = width() - 2 * kSide;
    title_.draw(painter, QPointF(kSide, titleTop_), column, this);
    subtitle_.draw(painter, QPointF(kSide, subtitleTop_), column, this);
}

} // namespace tavrilux::ui
