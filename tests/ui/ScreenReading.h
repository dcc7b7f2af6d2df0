#pragma once

// What a person meets on a screen: the texts it draws and says, and where its ink lies.

#include "ui/components/ScrollIndicator.h"
#include "ui/foundation/Appearance.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QCoreApplication>
#include <QPaintEngine>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace tavrilux::ui::testing {

// A device, and its own paint engine, that keeps the texts painted on it instead of pixels.
class TextRecorder final : public QPaintDevice, public QPaintEngine {
public:
    explicit TextRecorder(QSize size) : QPaintEngine(AllFeatures), size_(size) {}

    QStringList texts;
    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
    Type type() const override { return User; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        // Its size, a pixel ratio of 1, and 96 for the rest (dots per inch, colours, depth).
        return metric == PdmWidth                    ? size_.width()
               : metric == PdmHeight                 ? size_.height()
               : metric == PdmDevicePixelRatio       ? 1
               : metric == PdmDevicePixelRatioScaled ? int(devicePixelRatioFScale())
                                                     : 96;
    }

private:
    QSize size_;
};

// The texts `widget` and its children draw, in drawing order.
inline QStringList drawnTexts(QWidget& widget) {
    TextRecorder recorder(widget.size());
    widget.render(&recorder);
    return recorder.texts;
}

// What the widget and its shown children tell assistive technology and show as tool tips.
inline QStringList accessibleTexts(QWidget& root) {
    QStringList texts;
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
        if (widget != &root && !widget->isVisibleTo(&root)) {
            continue;
        }
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget)) {
            texts << accessible->text(QAccessible::Name) << accessible->text(QAccessible::Value)
                  << accessible->text(QAccessible::Description);
        }
        texts << widget->toolTip();
    }
    texts.removeAll(QString());
    return texts;
}

// How much ink `region` holds over `background`: the sum of every pixel's colour distance.
inline long inkMass(const QImage& image, const QRect& region, QRgb background) {
    long mass = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            mass += colourDistance(image.pixel(x, y), background);
        }
    }
    return mass;
}

// The bounding box of the pixels in `region` that `isInk` accepts; empty when there are none.
inline QRect inkBounds(const QImage& image, const QRect& region,
                       const std::function<bool(QRgb)>& isInk) {
    QRect bounds;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (isInk(image.pixel(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// Scrolls `area` as a person would: by wheel, then by dragging the thin thumb that shows
// meanwhile. No scroll bar shows at any time, and the thumb goes again a moment later.
inline void expectScrollsWithoutScrollBar(QAbstractScrollArea& area) {
    QScrollBar* bar = area.verticalScrollBar();
    auto* indicator = area.findChild<ScrollIndicator*>();
    ASSERT_GT(bar->maximum(), 0) << "the content overflows";
    ASSERT_TRUE(indicator);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(indicator->isShowing()) << "nothing at rest";
    const QPointF inside = QRectF(area.viewport()->rect()).center();
    QWheelEvent wheel(inside, area.viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(area.viewport(), &wheel);
    const int wheeled = bar->value();
    EXPECT_GT(wheeled, 0);
    EXPECT_TRUE(indicator->isShowing());
    const QPoint thumb = indicator->thumbRect().center().toPoint();
    QTest::mousePress(indicator, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(indicator, thumb + QPoint(0, 40));
    QTest::mouseRelease(indicator, Qt::LeftButton, {}, thumb + QPoint(0, 40));
    EXPECT_GT(bar->value(), wheeled) << "dragged";
    QTest::mouseMove(area.viewport(), area.viewport()->rect().center()); // the pointer leaves
    EXPECT_TRUE(QTest::qWaitFor([&] { return !indicator->isShowing(); }, 5000));
}

} // namespace tavrilux::ui::testing
