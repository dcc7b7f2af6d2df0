// Every component, on its own or in the screen that holds it, drawn light and dark. With
// TAVRILUX_UI_SNAPSHOT_DIR set, each picture is saved there as <name>-light.png and <name>-dark.png
// for a person to look at.
#include "SettingsHarness.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/components/SecondaryButtonStyle.h"
#include "ui/components/StatusBadge.h"
#include "ui/components/SymbolIcon.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/ViewHeader.h"
#include "ui/components/VisualEffectBlur.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/QuickPanelView.h"
#include "ui/settings/AboutPanelView.h"
#include "ui/settings/ContentView.h"
#include "ui/settings/GeneralTab.h"

#include <QDir>
#include <QGridLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tavrilux::ui {
namespace {

using Build = std::function<QWidget*()>;

// The quick panel's header, with a symbol in place of the mark, and with a title too long to fit.
QWidget* headers() {
    auto* panel = new VisualEffectBlur;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(7, 12, 7, 12);
    column->addWidget(
        new ViewHeader("Tavrilux", "Focus dimmer", std::nullopt, new StatusBadge(true)));
    column->addWidget(new ViewHeader("General", "Start at login and shortcuts",
                                     std::string(symbolName("gearshape.fill")),
                                     new StatusBadge(false)));
    column->addWidget(new ViewHeader("A very long application title that cannot fit at all",
                                     "Focus dimmer", std::nullopt, new StatusBadge(true)));
    panel->setFixedWidth(320);
    return panel;
}

QWidget* controls() {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setSpacing(14);
    int column = 0;
    for (bool compact : {false, true}) {
        for (bool on : {false, true}) {
            auto* toggle = new TavriluxSwitch(compact);
            toggle->setOn(on);
            grid->addWidget(toggle, 0, column++, Qt::AlignCenter);
        }
    }
    auto* next = new PrimaryButtonStyle("Get started");
    next->setTrailingSymbol(symbolName("arrow.right"));
    auto* pressed = new PrimaryButtonStyle("Pressed");
    pressed->setDown(true);
    grid->addWidget(next, 1, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(pressed, 1, 2, 1, 2, Qt::AlignLeft);
    auto* destructive = new SecondaryButtonStyle("Delete", ButtonRole::destructive);
    auto* down = new SecondaryButtonStyle("Pressed");
    down->setDown(true);
    grid->addWidget(destructive, 2, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(down, 2, 2, 1, 2, Qt::AlignLeft);
    panel->setAutoFillBackground(true);
    return panel;
}

// The brand mark's drawn fallback, for when the application icon cannot be read.
class BrandMarks final : public QWidget {
public:
    BrandMarks() { setFixedSize(126, 80); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        BrandMark::paint(painter, QRectF(8, 23, 34, 34), QImage());
        BrandMark::paint(painter, QRectF(54, 10, 60, 60), QImage());
    }
};

QWidget* symbols() {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    int i = 0;
    for (const auto& entry : symbolTable()) {
        grid->addWidget(new SymbolIcon(entry.name, 15, FontWeight::semibold,
                                       UiColor::theme(TavriluxTheme::primaryText)),
                        i / 8, i % 8);
        ++i;
    }
    panel->setAutoFillBackground(true);
    return panel;
}

// The quick panel as it opens: on one display with the glass effects folded, and on two displays
// with an update, an excluded front application, the aura shape and a colour off the palette.
QWidget* quickPanel(bool busy) {
    static testing::UiModel quiet;
    static testing::UiModel full;
    static const bool arranged = [](testing::UiModel& m) {
        quiet.standard->setBool(QuickPanelView::kGlassEffectsExpandedKey, false);
        m.desktop.addScreen(1, Rect{0, 0, 1280, 800});
        m.desktop.addScreen(2, Rect{1280, 0, 1280, 800});
        m.desktop.workspace.activate(RunningApplication{
            7, "org.example.Editor", "Text Editor", ActivationPolicy::regular,
            TAVRILUX_SOURCE_DIR "/resources/Tavrilux_Tavrilux.bundle/AppIcon.png"});
        m.desktop.queue.runUntilIdle();
        m.settings->applyMode(FocusMode::evening);
        m.settings->setOverlayColor(OverlayColor::black);
        m.settings->toggleExclusion("org.example.Editor");
        m.settings->setActiveScreenID(2);
        m.updater.updateAvailability.set(UpdateAvailability::available("2.1"));
        return true;
    }(full);
    (void)arranged;
    auto* panel = new QuickPanelView((busy ? full : quiet).context, nullptr, nullptr);
    panel->setHeightLimit(QWIDGETSIZE_MAX); // all of it, whatever the test screen's size
    return panel;
}

// The settings window's model, with or without exclusions of every kind, starting at login. It
// outlives the gallery's widgets.
testing::SettingsModel* settingsModel(bool withExclusions) {
    auto* model = new testing::SettingsModel;
    model->loginService.setStatus(LoginItemStatus::enabled);
    model->desktop.addScreen(7, Rect{0, 0, 1280, 800}, "3F2A9C1E-0000-4000-8000-00000000DE11");
    model->applications.installed["editor"] = {"Text Editor", TAVRILUX_SOURCE_DIR
                                               "/resources/Tavrilux_Tavrilux.bundle/AppIcon.png"};
    model->applications.installed["broken"] = {"Broken Icon", "/nonexistent/icon.png"};
    for (const char* key : {"editor", "broken", "org.example.Missing"}) {
        withExclusions ? model->settings->toggleExclusion(key) : void();
    }
    for (const char* key : {"3F2A9C1E-0000-4000-8000-00000000DE11", "9B51D7A2-5C3E-4F11"}) {
        withExclusions ? model->settings->toggleDisplayExclusion(key) : void();
    }
    return model;
}

QWidget* settingsWindow(SettingsTab tab, bool withExclusions) {
    static const std::array models{settingsModel(false), settingsModel(true)};
    testing::SettingsModel* model = models[withExclusions];
    model->navigation.selectedTab.set(tab);
    auto* view = new ContentView(model->context, model->services);
    if (auto* general = qobject_cast<GeneralTab*>(view->tabContent())) {
        testing::render(*view, Appearance::light);
        EXPECT_TRUE(testing::answered(general));
    }
    return view;
}

const std::vector<std::pair<const char*, Build>>& gallery() {
    static const std::vector<std::pair<const char*, Build>> entries{
        {"headers", headers},
        {"controls", controls},
        {"brand_marks", [] { return static_cast<QWidget*>(new BrandMarks); }},
        {"symbols", symbols},
        {"quick_panel", [] { return quickPanel(false); }},
        {"quick_panel_busy", [] { return quickPanel(true); }},
        {"settings_general", [] { return settingsWindow(SettingsTab::general, false); }},
        {"settings_exclusions", [] { return settingsWindow(SettingsTab::exclusions, true); }},
        {"settings_exclusions_empty",
         [] { return settingsWindow(SettingsTab::exclusions, false); }},
        {"settings_about", [] { return settingsWindow(SettingsTab::about, false); }},
        {"about_panel", [] { return static_cast<QWidget*>(new AboutPanelView("1.2.0")); }},
    };
    return entries;
}

// Pixels that differ clearly from the corner (the background).
int inkPixels(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ink += std::abs(qGray(p) - qGray(background)) > 24;
        }
    }
    return ink;
}

TEST(GalleryTest, EveryComponentDrawsInBothAppearancesAndRepaintsFromItsCaches) {
    ASSERT_TRUE(testing::installEnglish());
    const QString folder = qEnvironmentVariable("TAVRILUX_UI_SNAPSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
    }
    for (const auto& [name, build] : gallery()) {
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::string(name) + (appearance == Appearance::dark ? " dark" : " light"));
            std::unique_ptr<QWidget> widget(build());
            widget->setPalette(paletteFor(appearance));
            testing::render(*widget, appearance);
            widget->adjustSize(); // to the rows' final layout
            const QImage first = testing::render(*widget, appearance);
            EXPECT_GT(inkPixels(first), first.width() * first.height() / 200);
            const std::size_t renders = ShadowCache::shared().renderCount();
            const QImage again = testing::render(*widget, appearance);
            EXPECT_EQ(ShadowCache::shared().renderCount(), renders) << "a repaint blurs nothing";
            EXPECT_EQ(again, first);
            if (!folder.isEmpty()) {
                first.save(QDir(folder).filePath(
                    QString("%1-%2.png")
                        .arg(name, appearance == Appearance::dark ? "dark" : "light")));
            }
        }
    }
}

} // namespace
} // namespace tavrilux::ui
