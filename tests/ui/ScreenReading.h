#pragma once

// What a person meets on a screen: the texts it draws and says, and where its ink lies.

#include "ui/components/ScrollIndicator.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QCoreApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace tavrilux::ui::testing {

// A device that keeps the texts painted on it instead of pixels.
class TextRecorder final : public QPaintDevice {
public:
    explicit TextRecorder(QSize size) : size_(size), engine_(this) {}
    ~TextRecorder() override = default;

    QStringList texts;
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / 960;
        case PdmHeightMM:
            return size_.height() * 254 / 960;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        case PdmNumColors:
            return 0xffffff;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        default:
            return 96; // the dots per inch
        }
    }

private:
    class Engine final : public QPaintEngine {
    public:
        explicit Engine(TextRecorder* recorder) : QPaintEngine(AllFeatures), recorder_(recorder) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            recorder_->texts << item.text();
        }
        Type type() const override { return User; }

    private:
        TextRecorder* recorder_;
    };

    QSize size_;
    mutable Engine engine_;
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
            for (auto kind : {QAccessible::Name, QAccessible::Description, QAccessible::Value}) {
                texts << accessible->text(kind);
            }
        }
        texts << widget->toolTip();
    }
    texts.removeAll(QString());
    return texts;
}

// How far a pixel's colour lies from another's, the largest difference of a channel.
inline int colourDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
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
    EXPECT_FALSE(bar->isVisible());
}

} // namespace tavrilux::ui::testing
