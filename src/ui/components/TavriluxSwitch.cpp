#include "ui/components/TavriluxSwitch.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/ShadowCache.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace tavrilux::ui {

namespace {
constexpr qreal kKnobInset = 3;

class SwitchAccessible final : public QAccessibleWidget {
public:
    explicit SwitchAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}

    QString text(QAccessible::Text type) const override {
        const auto* control = static_cast<const TavriluxSwitch*>(widget());
        switch (type) {
        case QAccessible::Name:
            return QString::fromStdString(L(localizationKey("accessibility_enabled")));
        case QAccessible::Value:
            return QString::fromStdString(L(control->isOn()
                                                ? localizationKey("accessibility_on")
                                                : localizationKey("accessibility_off")));
        default:
            return QAccessibleWidget::text(type);
        }
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            static_cast<TavriluxSwitch*>(widget())->click();
        }
    }
};

QAccessibleInterface* switchAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(TavriluxSwitch::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new SwitchAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}
} // namespace

TavriluxSwitch::TavriluxSwitch(bool compact, QWidget* parent)
    : QAbstractButton(parent), compact_(compact), position_(0, this) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(switchAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(trackSize());
    connect(&position_, &SpringAnimator::valueChanged, this, [this] { update(); });
    connect(this, &QAbstractButton::clicked, this, [this] { emit toggleRequested(!on_); });
}

QSize TavriluxSwitch::trackSize() const {
    return compact_ ? QSize(42, 23) : QSize(46, 25);
}

void TavriluxSwitch::setOn(bool on) {
    if (on == on_) {
        return;
    }
    on_ = on;
    if (isVisible()) {
        position_.animateTo(on ? 1.0 : 0.0, kSpring);
    } else {
        position_.jumpTo(on ? 1.0 : 0.0);
    }
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(
            this, QString::fromStdString(L(on ? localizationKey("accessibility_on")
                                              : localizationKey("accessibility_off"))));
        QAccessible::updateAccessibility(&event);
    }
    update();
}

void TavriluxSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(kDisabledOpacity);
    }
    const QRectF track(QPointF(0, 0), QSizeF(trackSize()));
    const Appearance appearance = appearanceOf(this);
    const qreal t = position_.value();
    const QColor off = resolve(TavriluxTheme::surfaceBorder, appearance, 0.9);
    painter.fillPath(track_.get(Shape::capsule(), track),
                     mixColours(off, systemAccent(this), std::clamp<qreal>(t, 0, 1)));
    if (hasFocus()) {
        painter.strokePath(track_.get(Shape::capsule(), track),
                           QPen(systemAccent(this).lighter(130), 1.5));
    }
    const qreal d = knobDiameter();
    const qreal left = kKnobInset, right = track.width() - kKnobInset - d;
    const QRectF knob(left + (right - left) * t, (track.height() - d) / 2, d, d);
    ShadowCache::shared().drawShadow(painter, Shape::circle(), knob, QColor(0, 0, 0, 64), 1,
                                     QPointF(0, 1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
}

} // namespace tavrilux::ui
