#include "ui/quickpanel/QuickPanelView.h"

#include "core/defaults/UserDefaults.h"
#include "core/localization/LocalizationManager.h"
#include "core/platform/Screens.h"
#include "core/services/UpdaterManager.h"
#include "core/settings/DimmingSettings.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/CollapsibleGlassCard.h"
#include "ui/components/ColorSwatchRow.h"
#include "ui/components/GlassCard.h"
#include "ui/components/PercentSliderRow.h"
#include "ui/components/ScrollIndicator.h"
#include "ui/components/SliderRow.h"
#include "ui/components/StatusBadge.h"
#include "ui/components/ViewHeader.h"
#include "ui/components/VisualEffectBlur.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/quickpanel/AppExclusionRow.h"
#include "ui/quickpanel/EffectModeRow.h"
#include "ui/quickpanel/EnableRow.h"
#include "ui/quickpanel/ModeSelectorRow.h"
#include "ui/quickpanel/MultiScreenControlsSection.h"
#include "ui/quickpanel/PanelSettingsButton.h"
#include "ui/quickpanel/UpdateStatusBanner.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {
// Room the panel leaves above and below itself on a screen it does not fit.
constexpr int kScreenMargin = 8;
constexpr int kScrollInset = 8;
constexpr int kScrollIndicatorInset = 12;

int screenHeightLimit() {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry().height() - 2 * kScreenMargin
                             : QWIDGETSIZE_MAX;
}
} // namespace

QuickPanelView::QuickPanelView(const UiContext& context, std::function<void()> onOpenSettings,
                               std::function<void()> onOpenAbout, QWidget* parent)
    : QWidget(parent), context_(context), onOpenSettings_(std::move(onOpenSettings)),
      onOpenAbout_(std::move(onOpenAbout)), content_(new QWidget), scroll_(new QScrollArea),
      heightLimit_(screenHeightLimit()), badge_(new StatusBadge), banner_(new UpdateStatusBanner),
      enable_(new EnableRow),
      modes_(new ModeSelectorRow(context, {FocusMode::focus, FocusMode::flow, FocusMode::evening})),
      appExclusion_(new AppExclusionRow(context)),
      multiScreen_(new MultiScreenControlsSection(context)),
      speed_(new SliderRow(text("appearance_speed"), text("appearance_speed_subtitle"), 0.25, 2.0,
                           text("fast"), text("slow"))),
      blur_(new PercentSliderRow(text("blur"))), tint_(new PercentSliderRow(text("tint"))),
      colours_(
          new ColorSwatchRow(text("glass_color"), {TavriluxTheme::glassColorSwatches().begin(),
                                                   TavriluxTheme::glassColorSwatches().end()})),
      grain_(new PercentSliderRow(text("grain"))),
      glassCard_(foldingCard(localizationKey("glass_effects"), kGlassEffectsExpandedKey)),
      effectCard_(foldingCard(localizationKey("effect_mode"), kEffectModeExpandedKey)),
      effectRow_(new EffectModeRow(context)), settingsButton_(new PanelSettingsButton),
      observer_([this] { refresh(); }, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kWidth + 2 * kOuterPadding);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kOuterPadding, kOuterPadding, kOuterPadding, kOuterPadding);
    outer->addWidget(scroll_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    // No scroll bar: a thin thumb shows while the column scrolls, clear of the round corners.
    new ScrollIndicator(scroll_, kScrollIndicatorInset);
    content_->setAttribute(Qt::WA_TranslucentBackground);
    content_->installEventFilter(this);
    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(6, 16, 6, 8);
    column->setSpacing(12);

    column->addWidget(new ViewHeader(text("app_name"), text("focus_dimmer"), std::nullopt, badge_));
    column->addWidget(banner_);
    auto* enableCard = new GlassCard;
    enableCard->addWidget(enable_);
    column->addWidget(enableCard);
    column->addWidget(modes_);
    column->addWidget(appExclusion_);
    column->addWidget(multiScreen_);
    auto* speedCard = new GlassCard;
    speedCard->addWidget(speed_);
    column->addWidget(speedCard);
    glassCard_->addWidget(blur_);
    glassCard_->addDivider();
    glassCard_->addWidget(tint_);
    glassCard_->addDivider();
    glassCard_->addWidget(colours_);
    glassCard_->addDivider();
    glassCard_->addWidget(grain_);
    column->addWidget(glassCard_);
    effectCard_->addWidget(effectRow_);
    column->addWidget(effectCard_);
    column->addWidget(settingsButton_);
    scroll_->setWidget(content_);
    // The scroll area fills its widget's background; here the backdrop shows through instead.
    content_->setAutoFillBackground(false);
    // Layouts keep the hints they saw while the rows were being added (a card's inner layout
    // runs as soon as it is made visible). The window takes its size from the panel before it
    // first shows, so every stale hint is dropped now.
    for (QWidget* child : content_->findChildren<QWidget*>()) {
        child->updateGeometry();
    }
    fitHeight();

    DimmingSettings& settings = context_.settings;
    connect(enable_, &EnableRow::toggleRequested, this,
            [&settings](bool on) { settings.setIsEnabled(on); });
    connect(speed_, &SliderRow::valueRequested, this,
            [&settings](double v) { settings.setAppearanceDuration(v); });
    connect(blur_, &PercentSliderRow::valueRequested, this,
            [&settings](double v) { settings.setBlurIntensity(v); });
    connect(tint_, &PercentSliderRow::valueRequested, this,
            [&settings](double v) { settings.setTintIntensity(v); });
    connect(grain_, &PercentSliderRow::valueRequested, this,
            [&settings](double v) { settings.setGrainIntensity(v); });
    connect(colours_, &ColorSwatchRow::selectionRequested, this,
            [&settings](const OverlayColor& colour) { settings.setOverlayColor(colour); });
    connect(banner_, &QAbstractButton::clicked, this, [this] {
        if (onOpenAbout_) {
            onOpenAbout_();
        }
    });
    connect(settingsButton_, &QAbstractButton::clicked, this, [this] {
        if (onOpenSettings_) {
            onOpenSettings_();
        }
    });

    observer_.watch(settings);
    observer_.watch(context_.updater.updateAvailability);
    observer_.refreshNow();
}

CollapsibleGlassCard* QuickPanelView::foldingCard(std::string_view title, std::string_view key) {
    UserDefaults& defaults = context_.standardDefaults;
    auto* card = new CollapsibleGlassCard(text(title), defaults.boolValue(key).value_or(true));
    connect(card, &CollapsibleGlassCard::expansionRequested, this,
            [card, &defaults, key](bool expanded) {
                defaults.setBool(key, expanded);
                card->setExpanded(expanded);
            });
    return card;
}

void QuickPanelView::setHeightLimit(int height) {
    heightLimit_ = height;
    fitHeight();
}

void QuickPanelView::fitHeight() {
    // Wrapped texts make the column's height depend on its width, which is fixed.
    const int column = content_->hasHeightForWidth() ? content_->heightForWidth(kWidth)
                                                     : content_->sizeHint().height();
    // Scrolling, the column keeps clear of the rounded corners at the top and the bottom.
    const int inset = column + 2 * kOuterPadding > heightLimit_ ? kScrollInset : 0;
    layout()->setContentsMargins(kOuterPadding, kOuterPadding + inset, kOuterPadding,
                                 kOuterPadding + inset);
    scroll_->setFixedHeight(std::min(column, heightLimit_ - 2 * (kOuterPadding + inset)));
}

bool QuickPanelView::eventFilter(QObject* watched, QEvent* event) {
    // The column grew or shrank (a card folded, a slider swapped): so does the panel.
    if (watched == content_ && event->type() == QEvent::LayoutRequest) {
        fitHeight();
    }
    return QWidget::eventFilter(watched, event);
}

void QuickPanelView::refresh() {
    const DimmingSettings& settings = context_.settings;
    const bool enabled = settings.isEnabled.get();
    badge_->setActive(enabled);
    {
        const QSignalBlocker block(enable_);
        enable_->setActive(enabled);
    }
    const UpdateAvailability& update = context_.updater.updateAvailability.get();
    banner_->setVisible(update.isAvailable());
    banner_->setVersion(QString::fromStdString(update.version()));
    // Displays are not watched: the panel is rebuilt on every opening.
    multiScreen_->setVisible(context_.screens.screens().size() >= 2);

    const QSignalBlocker blockSpeed(speed_);
    const QSignalBlocker blockBlur(blur_);
    const QSignalBlocker blockTint(tint_);
    const QSignalBlocker blockColours(colours_);
    const QSignalBlocker blockGrain(grain_);
    speed_->setValue(settings.appearanceDuration.get());
    blur_->setValue(settings.blurIntensity.get());
    tint_->setValue(settings.tintIntensity.get());
    colours_->setSelection(settings.overlayColor.get());
    grain_->setValue(settings.grainIntensity.get());
}

void QuickPanelView::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    const bool translucent = window()->testAttribute(Qt::WA_TranslucentBackground);
    const QSizeF panel = QSizeF(size()) - QSizeF(2 * kOuterPadding, 2 * kOuterPadding);
    // Drawn once per look and size, then copied: large fills are the costliest part of a frame.
    const QImage& backdrop =
        ShadowCache::shared().blurred(QStringLiteral("quick-panel-backdrop-%1-%2")
                                          .arg(appearance == Appearance::light ? 1 : 0)
                                          .arg(translucent ? 1 : 0),
                                      panel, 0, devicePixelRatioF(), [&](QPainter& p) {
                                          paintBackdrop(p, panel, appearance, translucent);
                                      });
    QPainter painter(this);
    const qreal m = ShadowCache::margin(0);
    painter.drawImage(QPointF(kOuterPadding - m, kOuterPadding - m), backdrop);
}

void QuickPanelView::paintBackdrop(QPainter& painter, const QSizeF& size, Appearance appearance,
                                   bool translucent) {
    const bool light = appearance == Appearance::light;
    const QRectF panel(QPointF(0, 0), size);
    const Shape shape = Shape::rounded(kCornerRadius);
    const QPainterPath outline = shape.path(panel);
    // The frosted material, then the tint that sets the panel's tone, then its fine edge. The
    // material stands in for a blur at its full density: the texts on the panel keep their
    // contrast whatever lies behind it.
    painter.fillPath(outline, VisualEffectBlur::tint(VisualEffectBlur::Material::hudWindow,
                                                     appearance, translucent));
    if (light) {
        painter.fillPath(outline, QColor(255, 255, 255, 217));
    } else {
        QLinearGradient sheen(QPointF(panel.center().x(), panel.top()),
                              QPointF(panel.center().x(), panel.top() + panel.height() * 0.28));
        sheen.setColorAt(0, QColor(255, 255, 255, 10));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        painter.fillPath(outline, sheen);
    }
    painter.strokePath(shape.inset(0.5).path(strokeRectInside(panel, 1)),
                       QPen(light ? QColor(0, 0, 0, 15) : QColor(255, 255, 255, 31), 1));
}

} // namespace tavrilux::ui
