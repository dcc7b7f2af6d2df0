#include "ScreenReading.h"
#include "UiHarness.h"

#include "core/localization/ModeDisplay.h"
#include "core/navigation/SettingsTab.h"
#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/Spring.h"
#include "ui/foundation/Symbols.h"

#include <QDirIterator>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace tavrilux::ui {
namespace {

TEST(SpringTest, CurveStartsAtZeroSettlesAtOneAndOvershootsOnlyWhenUnderdamped) {
    struct Case {
        Spring spring;
        double settledBy; // worked out by hand from the damped oscillator
    };
    for (const Case& c : {Case{{0.16, 0.85}, 0.2069}, Case{{0.3, 0.7}, 0.4712},
                          Case{{0.5, 1.0}, 0.7348}, Case{{0.4, 1.5}, 0.0}}) {
        SCOPED_TRACE(c.spring.dampingFraction);
        const double settled = springSettlingTime(c.spring);
        if (c.settledBy > 0) {
            EXPECT_NEAR(settled, c.settledBy, 2e-3);
        }
        EXPECT_EQ(springProgress(c.spring, 0), 0.0);
        EXPECT_EQ(springProgress(c.spring, -1), 0.0);
        double peak = 0;
        for (int i = 1; i <= 400; ++i) {
            peak = std::max(peak, springProgress(c.spring, settled * i / 400));
        }
        EXPECT_EQ(peak > 1.0 + 1e-6, c.spring.dampingFraction < 1);
        // settled: what is left of the swing is about a thousandth, and shrinks from there
        EXPECT_NEAR(springProgress(c.spring, settled), 1.0, 2e-3);
        EXPECT_NEAR(springProgress(c.spring, settled * 1.5), 1.0, 2e-4);
        EXPECT_NEAR(springProgress(c.spring, settled * 4), 1.0, 1e-9);
    }
}

TEST(ModelObserverTest, ManyNotificationsGiveOneQueuedRefreshThatSeesStoredValues) {
    testing::UiModel model;
    std::vector<double> seen;
    ModelObserver observer([&] { seen.push_back(model.settings->blurIntensity.get()); });
    observer.watch(*model.settings);
    observer.watch(model.updater.canCheckForUpdates);
    model.settings->setBlurIntensity(0.2);
    model.settings->setBlurIntensity(0.6);
    model.updater.canCheckForUpdates.set(true);
    EXPECT_TRUE(seen.empty()) << "never inside the will-set notification";
    testing::settle();
    EXPECT_EQ(seen, std::vector<double>{0.6});

    model.settings->setTintIntensity(0.3);
    observer.refreshNow();
    testing::settle();
    EXPECT_EQ(seen.size(), 2u) << "refreshNow replaces the scheduled refresh";
}

std::set<std::string> symbolNamesUsedInSources(int& filesRead) {
    std::set<std::string> names;
    const QRegularExpression use(QStringLiteral(R"re(symbolName\("([^"]+)"\))re"));
    for (const char* area : {"/src/ui", "/src/app"}) {
        QDirIterator it(QStringLiteral(TAVRILUX_SOURCE_DIR) + area, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            filesRead += file.open(QIODevice::ReadOnly) ? 1 : 0;
            for (const auto& match : use.globalMatch(QString::fromUtf8(file.readAll()))) {
                names.insert(match.captured(1).toStdString());
            }
        }
    }
    for (auto mode : kAllFocusModes) {
        names.insert(std::string(systemImage(mode)));
    }
    for (auto tab : kAllSettingsTabs) {
        names.insert(std::string(systemImage(tab)));
    }
    return names;
}

TEST(SymbolsTest, EveryNameTheSourcesUseHasAGlyphTheFontDraws) {
    int filesRead = 0;
    const auto names = symbolNamesUsedInSources(filesRead);
    ASSERT_GT(filesRead, 10) << "the scan must see the interface's sources";
    ASSERT_TRUE(SymbolFont::shared().isAvailable());
    for (const auto& name : names) {
        const auto glyph = symbolGlyph(name);
        ASSERT_TRUE(glyph.has_value()) << name;
        EXPECT_TRUE(SymbolFont::shared().draws(*glyph)) << name;
    }
    for (const auto& entry : symbolTable()) {
        EXPECT_TRUE(SymbolFont::shared().draws(entry.glyph)) << entry.name;
        EXPECT_TRUE(entry.badge == 0 || SymbolFont::shared().draws(entry.badge)) << entry.name;
    }
}

TEST(SymbolsTest, MissingFontOrUnknownNameDrawsAPlaceholder) {
    const SymbolFont missing(QStringLiteral("/nonexistent/MaterialIcons.ttf"));
    EXPECT_FALSE(missing.isAvailable());
    for (const SymbolFont* font : {&missing, &SymbolFont::shared()}) {
        QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        font->draw(painter, QRectF(0, 0, 24, 24), font == &missing ? "gearshape.fill" : "no.such",
                   15, Qt::black);
        painter.end();
        EXPECT_GT(testing::inkMass(image, image.rect(), qRgb(255, 255, 255)), 10 * 200);
    }
}

TEST(PaintingTest, ShadowsAreBlurredOnceAndFadeOutwards) {
    auto& cache = ShadowCache::shared();
    QImage canvas(80, 80, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    const std::size_t before = cache.renderCount();
    for (int i = 0; i < 3; ++i) {
        cache.drawShadow(painter, Shape::rounded(8), QRectF(20, 20, 40, 40), Qt::black, 4,
                         QPointF(0, 0));
    }
    painter.end();
    EXPECT_EQ(cache.renderCount(), before + 1);
    const int centre = qAlpha(canvas.pixel(40, 40));
    const int edge = qAlpha(canvas.pixel(20, 40));
    const int outside = qAlpha(canvas.pixel(12, 40));
    EXPECT_GT(centre, 250);
    EXPECT_LT(edge, centre);
    EXPECT_GT(edge, outside);
    EXPECT_GT(outside, 0) << "the blur reaches beyond the shape";
}

TEST(PaintingTest, ContinuousCornersMeetTheDiagonalWhereACircularArcWould) {
    const QRectF rect(0, 0, 100, 60);
    const QPainterPath path = continuousRoundedRect(rect, 10);
    EXPECT_EQ(path.boundingRect(), rect);
    // On a corner's diagonal the outline passes 2.92 from both edges, as an arc of radius 10
    // does (a chamfer would pass at 3.7), at all four corners alike.
    for (const QPointF corner :
         {QPointF(0, 0), QPointF(100, 0), QPointF(0, 60), QPointF(100, 60)}) {
        const QPointF inward(corner.x() ? -1 : 1, corner.y() ? -1 : 1);
        EXPECT_TRUE(path.contains(corner + inward * 3.2)) << corner.x() << "," << corner.y();
        EXPECT_FALSE(path.contains(corner + inward * 2.6)) << corner.x() << "," << corner.y();
    }
    EXPECT_TRUE(path.contains(QPointF(50, 0.5)));
    // A radius too large for the shape becomes a capsule instead of folding over itself.
    EXPECT_TRUE(continuousRoundedRect(QRectF(0, 0, 46, 25), 12.5).contains(QPointF(23, 12.5)));
}

} // namespace
} // namespace tavrilux::ui
