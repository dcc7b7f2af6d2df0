// The umbrella's colour: the tray's named one, else one that stands out from the tray behind it.
#include "app/StatusBarController.h"
#include "app/StatusGlyph.h"
#include "app/TrayIconBackdrop.h"
#include "core/defaults/DomainStorage.h"
#include "fakes/FakeGlobalHotKey.h"
#include "fakes/FakeSystemTray.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/VirtualMainQueue.h"
#include "ui/foundation/Appearance.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

namespace tavrilux {
namespace {

constexpr int kSize = 24;

QImage drawn(const QIcon& icon) {
    return icon.pixmap(kSize, kSize).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
QImage glyphIn(const QColor& colour, bool enabled = true) {
    return StatusGlyph::image(enabled, kSize, colour)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A status item over the fakes whose backdrop the test puts behind it.
struct ColouredItem {
    explicit ColouredItem(SystemTray* tray = nullptr) {
        controller = std::make_unique<StatusBarController>(
            StatusBarController::Environment{settings, hotKey, nullptr, nullptr, nullptr, tray,
                                             [](std::string_view) {},
                                             [this](const QSystemTrayIcon& icon) {
                                                 ++reads;
                                                 // As reading the icon's window paints it.
                                                 icon.icon().pixmap(kSize, kSize);
                                                 return behind;
                                             }},
            StatusBarController::Callbacks{});
    }
    // The icon as the tray paints it now, once what that paint looked behind it was handled.
    QImage settled() {
        drawn(icon());
        QCoreApplication::processEvents();
        return drawn(icon());
    }
    QIcon icon() { return controller->statusItem().icon(); }

    fakes::FakeWorkspace workspace;
    fakes::VirtualMainQueue queue;
    fakes::FakeGlobalHotKey hotKey;
    std::shared_ptr<DimmingSettings> settings =
        DimmingSettings::create(std::make_shared<SettingsStore>(std::make_shared<UserDefaults>(
                                    std::make_unique<MemoryDomainStorage>())),
                                workspace, queue);
    std::optional<QColor> behind;
    int reads = 0;
    std::unique_ptr<StatusBarController> controller;
};

class StatusIconColourTest : public ::testing::Test {
protected:
    static QColor text() { return QApplication::palette().color(QPalette::WindowText); }
    void SetUp() override { QApplication::setPalette(ui::paletteFor(ui::Appearance::light)); }
    void TearDown() override { QApplication::setPalette(ui::paletteFor(ui::Appearance::light)); }
};

TEST_F(StatusIconColourTest, WithoutNamedColoursTheUmbrellaStandsOutFromTheTrayBehindIt) {
    ColouredItem item;
    EXPECT_EQ(item.settled(), glyphIn(text())) << "unread: the light palette's text";
    EXPECT_GE(item.reads, 1);

    item.behind = QColor(31, 31, 31); // a dark tray
    EXPECT_EQ(item.settled(), glyphIn(Qt::white));
    item.behind = QColor(237, 237, 237);
    EXPECT_EQ(item.settled(), glyphIn(text()));
    item.behind = QColor(128, 128, 128); // the palette's black text stands out enough
    EXPECT_EQ(item.settled(), glyphIn(text()));
    item.behind = QColor(70, 70, 70);
    EXPECT_EQ(item.settled(), glyphIn(Qt::white));

    // Once settled, a paint reads again but sets no other icon: no endless repainting.
    const qint64 key = item.icon().cacheKey();
    const int reads = item.reads;
    EXPECT_EQ(item.settled(), glyphIn(Qt::white));
    EXPECT_EQ(item.icon().cacheKey(), key);
    QCoreApplication::processEvents(); // the look after the last paint
    EXPECT_EQ(item.reads, reads + 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(item.reads, reads + 2) << "the reading's own paint asks for no other one";

    // Unreadable again: the palette's window colour stands in for the tray.
    item.behind.reset();
    EXPECT_EQ(item.settled(), glyphIn(text()));
    QApplication::setPalette(ui::paletteFor(ui::Appearance::dark));
    EXPECT_EQ(item.settled(), glyphIn(text())) << "the dark palette's text on its window";
    item.behind = QColor(250, 250, 250);
    EXPECT_EQ(item.settled(), glyphIn(Qt::black));

    // Switched off on a dark tray: the red dot, the umbrella still light.
    item.behind = QColor(31, 31, 31);
    item.settings->setIsEnabled(false);
    EXPECT_EQ(item.settled(), glyphIn(Qt::white, false));
}

TEST_F(StatusIconColourTest, TheTraysNamedColourWinsAndEachChangeRepaintsTheIcon) {
    fakes::FakeSystemTray tray;
    const Rgba orange{1.0, 128 / 255.0, 0.0};
    tray.change(orange);
    ColouredItem item(&tray);
    ASSERT_TRUE(tray.isWatched());
    item.behind = QColor(31, 31, 31);
    EXPECT_EQ(item.settled(), glyphIn(QColor(255, 128, 0))) << "named: taken as it is";

    qint64 key = item.icon().cacheKey();
    tray.change(Rgba{0.0, 0.0, 0.5});
    EXPECT_NE(item.icon().cacheKey(), key) << "a new icon, so the tray repaints it";
    EXPECT_EQ(drawn(item.icon()), glyphIn(QColor(0, 0, 128))) << "even where it does not stand out";

    key = item.icon().cacheKey();
    tray.change(std::nullopt);
    EXPECT_NE(item.icon().cacheKey(), key);
    EXPECT_EQ(item.settled(), glyphIn(Qt::white));

    item.controller.reset();
    EXPECT_FALSE(tray.isWatched()) << "let go with the controller";
}

TEST(TrayIconBackdropTest, ReadsTheTrayAroundTheGlyphAndNothingOfTheGlyph) {
    for (const int size : {16, 22, 24, 32}) {
        for (const QColor& tray :
             {QColor(31, 31, 31), QColor(237, 237, 237), QColor(200, 90, 40)}) {
            for (const QColor& umbrella : {QColor(Qt::white), QColor(Qt::black)}) {
                for (const int off : {0, 1, -1}) {
                    QImage shown(size, size, QImage::Format_RGB32);
                    shown.fill(tray);
                    QPainter painter(&shown);
                    // Also a glyph one pixel off from where the reading expects it.
                    StatusGlyph::paint(painter, QRectF(off, 0, size, size), size % 2 == 0,
                                       umbrella);
                    painter.end();
                    EXPECT_EQ(TrayIconBackdrop::behindGlyph(shown), tray)
                        << size << " " << tray.name().toStdString() << " " << off;
                }
            }
        }
    }
    // A tray of two halves reads between them.
    QImage halves(24, 24, QImage::Format_RGB32);
    halves.fill(Qt::black);
    QPainter(&halves).fillRect(12, 0, 12, 24, Qt::white);
    const auto between = TrayIconBackdrop::behindGlyph(halves);
    ASSERT_TRUE(between);
    EXPECT_GT(between->lightness(), 40);
    EXPECT_LT(between->lightness(), 215);
    // Too small to leave anything around the glyph clear.
    QImage tiny(3, 3, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    EXPECT_FALSE(TrayIconBackdrop::behindGlyph(tiny));
    EXPECT_FALSE(TrayIconBackdrop::behindGlyph(QImage()));
}

} // namespace
} // namespace tavrilux
