// Every component, built on its own, drawn light and dark. With TAVRILUX_UI_SNAPSHOT_DIR set,
// each picture is saved there as <name>-light.png and <name>-dark.png for a person to look at.
#include "SettingsHarness.h"

#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/CollapsibleGlassCard.h"
#include "ui/components/ColorSwatchRow.h"
#include "ui/components/GlassCard.h"
#include "ui/components/PercentSliderRow.h"
#include "ui/components/PrimaryButtonStyle.h"
#include "ui/components/SecondaryButtonStyle.h"
#include "ui/components/SectionLabel.h"
#include "ui/components/SettingsActionRow.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/SliderRow.h"
#include "ui/components/StatusBadge.h"
#include "ui/components/SymbolIcon.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/ToggleRow.h"
#include "ui/components/ViewHeader.h"
#include "ui/components/VisualEffectBlur.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/QuickPanelView.h"
#include "ui/settings/AboutPanelView.h"
#include "ui/settings/ContentView.h"
#include "ui/settings/GeneralTab.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tavrilux::ui {
namespace {

using Build = std::function<QWidget*()>;

std::vector<GlassColorSwatch> palette() {
    const auto& swatches = TavriluxTheme::glassColorSwatches();
    return {swatches.begin(), swatches.end()};
}

// A panel of the quick panel's material, or of the settings window's background.
QWidget* host(std::initializer_list<QWidget*> children, int width, bool glass) {
    auto* panel = glass ? static_cast<QWidget*>(new VisualEffectBlur) : new QWidget;
    if (!glass) {
        panel->setAutoFillBackground(true);
    }
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(glass ? 7 : 24, glass ? 12 : 20, glass ? 7 : 24, glass ? 12 : 20);
    column->setSpacing(glass ? 12 : 8);
    for (QWidget* child : children) {
        column->addWidget(child);
    }
    panel->setFixedWidth(width);
    return panel;
}

QWidget* glassSliders() {
    auto* card = new GlassCard;
    auto* blur = new PercentSliderRow("Blur");
    blur->setValue(0.4);
    auto* tint = new PercentSliderRow("Tint");
    tint->setValue(0.37);
    card->addWidget(blur);
    card->addDivider();
    card->addWidget(tint);
    return card;
}

QWidget* collapsible(bool expanded, OverlayColor selection) {
    auto* card = new CollapsibleGlassCard("Glass effects", expanded);
    auto* blur = new PercentSliderRow("Blur");
    blur->setValue(0.6);
    card->addWidget(blur);
    card->addDivider();
    auto* colours = new ColorSwatchRow("Glass color", palette());
    colours->setSelection(selection);
    card->addWidget(colours);
    card->addDivider();
    auto* grain = new PercentSliderRow("Grain");
    grain->setValue(0.1);
    card->addWidget(grain);
    return card;
}

QWidget* settingsGroups() {
    auto* updates = new SettingsGroupCard;
    auto* automatic = new ToggleRow("Automatic updates", "Download new versions in the background");
    automatic->setOn(true);
    updates->addWidget(automatic);
    updates->addDivider();
    updates->addWidget(new SettingsActionRow("Current version", QString("1.2.0"), "Check now"));
    auto* privacy = new SettingsGroupCard;
    privacy->addWidget(new ToggleRow("Crash reports", "Send anonymous crash reports"));
    auto* disabled = new SettingsActionRow("Current version", std::nullopt, "Check now");
    disabled->setEnabled(false);
    privacy->addDivider();
    privacy->addWidget(disabled);
    return host({new SectionLabel("Updates"), updates, new SectionLabel("Privacy"), privacy}, 460,
                false);
}

QWidget* headers() {
    auto* long_ = new ViewHeader("A very long application title that cannot fit at all",
                                 "Focus dimmer", std::nullopt, new StatusBadge(true));
    return host({new ViewHeader("Tavrilux", "Focus dimmer", std::nullopt, new StatusBadge(true)),
                 new ViewHeader("General", "Start at login and shortcuts",
                                std::string(symbolName("gearshape.fill")), new StatusBadge(false)),
                 long_},
                320, true);
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
    auto* remove = new SecondaryButtonStyle("Remove");
    auto* destructive = new SecondaryButtonStyle("Delete", ButtonRole::destructive);
    auto* down = new SecondaryButtonStyle("Pressed");
    down->setDown(true);
    grid->addWidget(remove, 2, 0, 1, 1, Qt::AlignLeft);
    grid->addWidget(destructive, 2, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(down, 2, 3, 1, 1, Qt::AlignLeft);
    auto* marks = new QHBoxLayout;
    for (int size : {34, 56, 80}) {
        marks->addWidget(new BrandMark(size));
    }
    grid->addLayout(marks, 3, 0, 1, 4);
    panel->setAutoFillBackground(true);
    return panel;
}

// The brand mark with the application icon, and its drawn fallback.
class BrandMarks final : public QWidget {
public:
    BrandMarks() { setFixedSize(250, 80); }
    void paintEvent(QPaintEvent*) override {
        static const QImage icon(
            QStringLiteral(TAVRILUX_SOURCE_DIR "/resources/Tavrilux_Tavrilux.bundle/AppIcon.png"));
        QPainter painter(this);
        BrandMark::paint(painter, QRectF(8, 23, 34, 34), icon);
        BrandMark::paint(painter, QRectF(50, 10, 60, 60), icon);
        BrandMark::paint(painter, QRectF(130, 23, 34, 34), QImage());
        BrandMark::paint(painter, QRectF(174, 10, 60, 60), QImage());
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

QWidget* speed() {
    auto* card = new GlassCard;
    auto* row = new SliderRow("Appearance speed", "How fast the dimming fades in and out", 0.25,
                              2.0, "Fast", "Slow");
    row->setValue(0.6);
    card->addWidget(row);
    return host({card}, 334, true);
}

// The quick panel as it opens: on one display with nothing special, and on two displays with an
// update, an excluded front application and the aura shape.
QWidget* quickPanel(bool busy) {
    static testing::UiModel quiet;
    static testing::UiModel full;
    static const bool arranged = [](testing::UiModel& m) {
        m.desktop.addScreen(1, Rect{0, 0, 1280, 800});
        m.desktop.addScreen(2, Rect{1280, 0, 1280, 800});
        m.desktop.workspace.activate(RunningApplication{
            7, "org.example.Editor", "Text Editor", ActivationPolicy::regular,
            TAVRILUX_SOURCE_DIR "/resources/Tavrilux_Tavrilux.bundle/AppIcon.png"});
        m.desktop.queue.runUntilIdle();
        m.settings->applyMode(FocusMode::evening);
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

// The settings window's model, with or without exclusions of every kind, and a login item that
// needs approval. It outlives the gallery's widgets.
testing::SettingsModel* settingsModel(bool withExclusions) {
    auto* model = new testing::SettingsModel;
    model->loginService.setStatus(LoginItemStatus::requiresApproval);
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
        testing::waitFor([general] { return !general->isWaiting(); });
    }
    return view;
}

const std::vector<std::pair<const char*, Build>>& gallery() {
    static const std::vector<std::pair<const char*, Build>> entries{
        {"glass_card", [] { return host({glassSliders()}, 334, true); }},
        {"collapsible_expanded",
         [] { return host({collapsible(true, palette()[13].color)}, 334, true); }},
        {"collapsible_collapsed",
         [] { return host({collapsible(false, palette()[13].color)}, 334, true); }},
        {"swatches_custom",
         [] { return host({collapsible(true, OverlayColor::black)}, 334, true); }},
        {"slider_row", speed},
        {"settings_groups", settingsGroups},
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
    QFile english(QStringLiteral(
        TAVRILUX_SOURCE_DIR "/resources/Tavrilux_Tavrilux.bundle/en.lproj/Localizable.strings"));
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    testing::installStrings(english.readAll().toStdString());
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
