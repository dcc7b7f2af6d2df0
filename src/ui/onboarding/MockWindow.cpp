#include "ui/onboarding/MockWindow.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/onboarding/BlurRadius.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavrilux::ui {

namespace {

constexpr qreal kCornerRadius = 8;
constexpr Spring kSpring{0.4, 0.75};
constexpr qreal kActiveShadowRadius = blurSigma(12);
constexpr qreal kInactiveShadowRadius = blurSigma(4);
constexpr Rgba kBackground{0.11, 0.12, 0.14, 1};

QFont titleFont() {
    return uiFont(10, FontWeight::semibold);
}

// The title bar, in the window's own coordinates: the bar and the content form one column,
// centred in the frame.
QRectF titleBar() {
    const QSizeF size = QSizeF(MockWindow::kWindowSize);
    const qreal barHeight = std::max<qreal>(6, QFontMetricsF(titleFont()).height()) + 12;
    const qreal contentHeight = 8 + 3 * 4 + 2 * 6 + 8;
    return QRectF(0, (size.height() - barHeight - contentHeight) / 2, size.width(), barHeight);
}

// The title is centred in the room right of the dots.
QRectF titleRect() {
    constexpr qreal dotsEnd = 6 + 3 * 6 + 2 * 4 + 4;
    const QRectF bar = titleBar();
    return QRectF(dotsEnd, bar.top(), bar.width() - 6 - dotsEnd, bar.height());
}

// The window's picture without its title at a device pixel ratio, made once per look.
QImage drawBody(qreal dpr) {
    const QSizeF size = QSizeF(MockWindow::kWindowSize);
    QImage image((size * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(QPointF(), size);
    const QPainterPath outline = continuousRoundedRect(frame, kCornerRadius);
    p.setClipPath(outline);
    p.fillRect(frame, toQColor(kBackground));

    const QRectF bar = titleBar();
    p.fillRect(bar, QColor(255, 255, 255, 13));
    p.setPen(QPen(QColor(255, 255, 255, 26), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar.adjusted(0.25, 0.25, -0.25, -0.25));
    p.setPen(Qt::NoPen);
    QColor gray(142, 142, 147); // the system grey
    gray.setAlphaF(0.5f);
    p.setBrush(gray);
    for (int i = 0; i < 3; ++i) {
        p.drawEllipse(QRectF(6 + i * 10, bar.center().y() - 3, 6, 6));
    }
    p.setBrush(QColor(255, 255, 255, 20));
    for (int i = 0; i < 3; ++i) {
        p.drawPath(
            continuousRoundedRect(QRectF(8, bar.bottom() + 8 + i * 10, size.width() - 16, 4), 3));
    }
    return image;
}

QImage desaturate(const QImage& source, qreal amount) {
    QImage image = source.copy();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int luma = (qRed(p) * 54 + qGreen(p) * 183 + qBlue(p) * 19) >> 8;
            auto mix = [&](int channel) {
                return static_cast<int>(std::lround(channel + (luma - channel) * amount));
            };
            line[x] = qRgba(mix(qRed(p)), mix(qGreen(p)), mix(qBlue(p)), qAlpha(p));
        }
    }
    return image;
}

} // namespace

MockWindow::MockWindow(QString title, bool isActive, QWidget* parent)
    : QWidget(parent), title_(std::move(title)), isActive_(isActive),
      activeness_(isActive ? 1.0 : 0.0, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(widgetSize());
    connect(&activeness_, &SpringAnimator::valueChanged, this, qOverload<>(&QWidget::update));
}

QSize MockWindow::widgetSize() {
    const int margin = static_cast<int>(ShadowCache::margin(kActiveShadowRadius));
    return kWindowSize + QSize(2 * margin, 2 * margin);
}

void MockWindow::setActive(bool active) {
    if (active != isActive_) {
        isActive_ = active;
        activeness_.animateTo(active ? 1.0 : 0.0, kSpring);
    }
}

const QImage& MockWindow::body(qreal grayscale) {
    static QHash<qreal, QImage> bodies;
    const qreal dpr = devicePixelRatioF();
    auto it = bodies.find(dpr);
    if (it == bodies.end()) {
        it = bodies.insert(dpr, drawBody(dpr));
    }
    if (grayscale <= 0.001) {
        return *it;
    }
    // Only a miniature changing state makes new pictures, one per frame of its spring.
    const qreal amount = std::round(grayscale * 100) / 100;
    if (amount != desaturatedAmount_ || it->cacheKey() != desaturatedFrom_) {
        desaturated_ = desaturate(*it, amount);
        desaturatedAmount_ = amount;
        desaturatedFrom_ = it->cacheKey();
    }
    return desaturated_;
}

void MockWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal a = activeness_.value();
    if ((a != 0 && a != 1) || !isRasterTarget(painter)) {
        paintWindow(painter); // springing: drawn afresh each frame
        return;
    }
    // At rest the miniature, shadow and all, is drawn once and then only copied.
    const qreal dpr = devicePixelRatioF();
    const Appearance appearance = appearanceOf(this);
    if (resting_.size() != (QSizeF(size()) * dpr).toSize() || restingActiveness_ != a ||
        restingAppearance_ != appearance) {
        resting_ = QImage((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        resting_.setDevicePixelRatio(dpr);
        resting_.fill(Qt::transparent);
        QPainter cache(&resting_);
        paintWindow(cache);
        restingActiveness_ = a;
        restingAppearance_ = appearance;
    }
    painter.drawImage(QPointF(0, 0), resting_);
}

void MockWindow::paintWindow(QPainter& painter) {
    const qreal a = activeness_.value();
    const qreal shown = std::clamp<qreal>(a, 0, 1);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds(rect());
    const qreal scale = 0.97 + 0.03 * a;
    painter.translate(bounds.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    painter.setOpacity(std::clamp<qreal>(0.25 + 0.75 * a, 0, 1));

    QRectF window(QPointF(0, 0), QSizeF(kWindowSize));
    window.moveCenter(bounds.center());
    // The two resting shadows, cross-faded while the spring runs: no blur per frame.
    const Shape shape = Shape::rounded(kCornerRadius);
    const qreal opacity = painter.opacity();
    if (shown < 1) {
        painter.setOpacity(opacity * (1 - shown));
        ShadowCache::shared().drawShadow(painter, shape, window, QColor(0, 0, 0, 51),
                                         kInactiveShadowRadius, QPointF());
    }
    if (shown > 0) {
        painter.setOpacity(opacity * shown);
        ShadowCache::shared().drawShadow(painter, shape, window, QColor(0, 0, 0, 102),
                                         kActiveShadowRadius, QPointF());
    }
    painter.setOpacity(opacity);
    painter.drawImage(window, body(0.5 * (1 - shown)));
    painter.setFont(titleFont());
    painter.setPen(resolve(TavriluxTheme::secondaryText, appearanceOf(this)));
    painter.drawText(titleRect().translated(window.topLeft()), Qt::AlignCenter, title_);
}

} // namespace tavrilux::ui
