#include "ui/onboarding/ModePreview.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/onboarding/MockWindow.h"

#include <QLocale>
#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr int kInset = 12;
constexpr int kSpacing = 12;
constexpr int kStackHeight = 120;
constexpr qreal kCornerRadius = 12;

struct Miniature {
    std::string_view title;
    bool active;
    QPoint offset;
};
// Back to front.
constexpr std::array<Miniature, 3> kMiniatures{
    Miniature{localizationKey("onboarding_preview_background_2"), false, {30, 10}},
    Miniature{localizationKey("onboarding_preview_background_1"), false, {-30, 20}},
    Miniature{localizationKey("onboarding_preview_active"), true, {0, 0}}};

int captionHeight() {
    return static_cast<int>(std::ceil(QFontMetricsF(uiFont(11, FontWeight::semibold)).height()));
}
} // namespace

ModePreview::ModePreview(FocusMode selectedMode, QWidget* parent)
    : QWidget(parent), selectedMode_(selectedMode),
      caption_(QLocale().toUpper(text(localizationKey("onboarding_preview"))),
               uiFont(11, FontWeight::semibold), UiColor::theme(TavriluxTheme::secondaryText), 1,
               Qt::AlignLeft) {
    setAttribute(Qt::WA_TranslucentBackground);
    for (std::size_t i = 0; i < kMiniatures.size(); ++i) {
        windows_.at(i) =
            new MockWindow(text(kMiniatures.at(i).title), kMiniatures.at(i).active, this);
    }
}

QSize ModePreview::sizeHint() const {
    return QSize(320, 2 * kInset + captionHeight() + kSpacing + kStackHeight);
}

void ModePreview::resizeEvent(QResizeEvent*) {
    const QPoint centre(width() / 2, kInset + captionHeight() + kSpacing + kStackHeight / 2);
    for (std::size_t i = 0; i < kMiniatures.size(); ++i) {
        QRect frame(QPoint(), windows_.at(i)->size());
        frame.moveCenter(centre + kMiniatures.at(i).offset);
        windows_.at(i)->setGeometry(frame);
    }
}

void ModePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape_.get(Shape::rounded(kCornerRadius), rect()),
                     UiColor::theme(TavriluxTheme::surface).resolve(this));
    caption_.draw(painter, QPointF(kInset, kInset), width() - 2 * kInset, this);
}

} // namespace tavrilux::ui
