#include "ScreenReading.h"
#include "UiHarness.h"

#include "core/settings/FocusPresets.h"
#include "ui/components/CollapsibleGlassCard.h"
#include "ui/components/ColorSwatchRow.h"
#include "ui/components/DisclosureHeader.h"
#include "ui/components/PaletteSwatchCell.h"
#include "ui/components/PercentSliderRow.h"
#include "ui/components/SliderRow.h"
#include "ui/components/StatusBadge.h"
#include "ui/components/StepSlider.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/AppExclusionRow.h"
#include "ui/quickpanel/BadgedIcon.h"
#include "ui/quickpanel/EffectModeButton.h"
#include "ui/quickpanel/EffectModeRow.h"
#include "ui/quickpanel/EnableRow.h"
#include "ui/quickpanel/ExclusionPill.h"
#include "ui/quickpanel/ExclusionRow.h"
#include "ui/quickpanel/FadeStartMapping.h"
#include "ui/quickpanel/ModeButton.h"
#include "ui/quickpanel/ModeSelectorRow.h"
#include "ui/quickpanel/MultiScreenControlsSection.h"
#include "ui/quickpanel/MultiScreenModeButton.h"
#include "ui/quickpanel/PanelSettingsButton.h"
#include "ui/quickpanel/QuickPanelView.h"
#include "ui/quickpanel/UpdateStatusBanner.h"

#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace tavrilux::ui {
namespace {

class QuickPanelTest : public ::testing::Test {
protected:
    // Keys show as themselves, but for the read-outs.
    void SetUp() override { testing::installStrings("\"percent_format\" = \"%@%\";"); }

    QuickPanelView& build() {
        panel = std::make_unique<QuickPanelView>(
            model.context, [this] { ++settingsOpened; }, [this] { ++aboutOpened; });
        testing::render(*panel, Appearance::light);
        return *panel;
    }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
        testing::settle();
    }
    void key(QWidget* widget, Qt::Key k) {
        QTest::keyClick(widget, k);
        testing::settle();
    }
    void front(std::optional<RunningApplication> app) {
        model.desktop.workspace.activate(app);
        model.desktop.queue.runUntilIdle();
        testing::settle();
    }

    testing::UiModel model;
    DimmingSettings& settings = *model.settings;
    std::unique_ptr<QuickPanelView> panel;
    int settingsOpened = 0;
    int aboutOpened = 0;
};

TEST_F(QuickPanelTest,
       APresetChosenInThePanelStaysThatPresetWithItsHighlightUntilALookControlMoves) {
    QuickPanelView& view = build();
    const auto& buttons = view.modeRow()->buttons();
    click(buttons[1]);
    EXPECT_EQ(settings.activeMode.get(), FocusMode::flow) << "no slider wrote its step back";
    const auto flow = *presetConfiguration(FocusMode::flow);
    EXPECT_EQ(view.blurRow()->readout(), "18%");
    EXPECT_DOUBLE_EQ(view.speedRow()->value(), flow.appearanceDuration);
    EXPECT_EQ(view.modeRow()->highlightRect(), QRectF(buttons[1]->geometry()));
    EXPECT_TRUE(buttons[1]->isSelected() && !buttons[0]->isSelected());

    key(view.tintRow()->slider(), Qt::Key_Right); // to custom
    EXPECT_FALSE(view.modeRow()->highlightRect().has_value());
    for (ModeButton* button : buttons) {
        EXPECT_FALSE(button->isSelected());
    }
}

TEST_F(QuickPanelTest, EveryLookControlMarksCustomWhileTheSwitchFadeStartAndShapeKeepThePreset) {
    struct Case {
        const char* control;
        std::function<void(QuickPanelView&)> act;
        bool keepsPreset;
    };
    const auto slide = [this](auto row) {
        return [this, row](QuickPanelView& v) { key((v.*row)()->slider(), Qt::Key_End); };
    };
    const Case cases[] = {
        {"speed", slide(&QuickPanelView::speedRow), false},
        {"blur", slide(&QuickPanelView::blurRow), false},
        {"tint", slide(&QuickPanelView::tintRow), false},
        {"grain", slide(&QuickPanelView::grainRow), false},
        {"colour", [this](QuickPanelView& v) { click(v.colourRow()->cells()[0]); }, false},
        {"aura",
         [this](QuickPanelView& v) { key(v.effectModeRow()->auraRow()->slider(), Qt::Key_Home); },
         false},
        {"switch", [this](QuickPanelView& v) { click(v.enableRow()->toggle()); }, true},
        {"fade start",
         [this](QuickPanelView& v) {
             key(v.effectModeRow()->fadeStartRow()->slider(), Qt::Key_Home);
         },
         true},
        {"shape", [this](QuickPanelView& v) { click(v.effectModeRow()->buttons()[2]); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        // flow is ambient, evening is aura: each effect slider is on show in one of them
        settings.applyMode(std::string(c.control) == "aura" ? FocusMode::evening : FocusMode::flow);
        const auto before = settings.configuration();
        QuickPanelView& view = build();
        c.act(view);
        EXPECT_EQ(settings.activeMode.get() != FocusMode::custom, c.keepsPreset);
        EXPECT_NE(settings.configuration(), before) << "the control wrote its setting";
    }
}

TEST_F(QuickPanelTest, TheEffectSliderFollowsTheShapeAndTheFadeStartsHalfRangeFillsTheSlider) {
    settings.setAmbientFadeStart(0.2);
    QuickPanelView& view = build();
    EffectModeRow& row = *view.effectModeRow();
    const struct {
        EffectMode mode;
        bool fade, aura;
    } cases[] = {{EffectMode::ambient, true, false},
                 {EffectMode::aura, false, true},
                 {EffectMode::fullscreen, false, false}};
    for (const auto& c : cases) {
        click(row.buttons()[static_cast<std::size_t>(c.mode)]);
        EXPECT_EQ(settings.effectMode.get(), c.mode);
        EXPECT_EQ(row.fadeStartRow()->isVisibleTo(&row), c.fade);
        EXPECT_EQ(row.auraRow()->isVisibleTo(&row), c.aura);
        EXPECT_EQ(row.sliderGroup()->isVisibleTo(&row), c.fade || c.aura) << "with its divider";
        EXPECT_EQ(row.highlightRect(),
                  QRectF(row.buttons()[static_cast<std::size_t>(c.mode)]->geometry()));
        if (c.mode == EffectMode::ambient) {
            EXPECT_EQ(row.fadeStartRow()->readout(), "40%");
            key(row.fadeStartRow()->slider(), Qt::Key_Right);
            EXPECT_DOUBLE_EQ(settings.ambientFadeStart.get(), 0.25) << "50 % stores a quarter";
        }
    }
    const std::pair<double, double> shown[] = {{0.2, 0.4}, {0.25, 0.5}, {0.5, 1}, {0.8, 1}, {0, 0}};
    for (auto [stored, slider] : shown) {
        EXPECT_DOUBLE_EQ(fadeStartSliderValue(stored), slider) << stored;
    }
    const std::pair<double, double> stores[] = {
        {1, 0.5}, {0.7, 0.35}, {0, 0}, {-0.3, 0}, {1.4, 0.5}};
    for (auto [slider, stored] : stores) {
        EXPECT_DOUBLE_EQ(fadeStartFromSlider(slider), stored) << slider;
    }
}

TEST_F(QuickPanelTest, TheApplicationRowActsOnlyOnAFrontApplicationWithAKey) {
    QuickPanelView& view = build();
    ExclusionRow& row = *view.appExclusionRow()->row();
    const RunningApplication editor{7, "org.example.Editor", "Editor", ActivationPolicy::regular,
                                    ""};
    RunningApplication keyless = editor;
    keyless.bundleIdentifier.reset();
    for (const auto& app : {std::optional<RunningApplication>(), std::optional(keyless)}) {
        front(app);
        EXPECT_EQ(row.titleLabel()->text(), app ? "Editor" : "—");
        EXPECT_FALSE(row.isEnabled());
        click(&row);
        EXPECT_TRUE(settings.excludedBundleIDs.get().empty());
    }
    front(editor);
    ASSERT_TRUE(row.isEnabled());
    click(&row);
    EXPECT_EQ(settings.excludedBundleIDs.get(), std::set<std::string>{"org.example.Editor"});
    EXPECT_TRUE(row.isExcluded());
    EXPECT_EQ(row.pill()->text(), "remove_exclusion");
    click(&row);
    EXPECT_TRUE(settings.excludedBundleIDs.get().empty());
    EXPECT_EQ(row.pill()->text(), "exclude_current_app");
}

TEST_F(QuickPanelTest, DisplayControlsShowWithTwoDisplaysAndNeedAConnectedActiveOne) {
    model.desktop.addScreen(5, Rect{0, 0, 1280, 800}, "UUID-LEFT");
    EXPECT_FALSE(build().multiScreenSection()->isVisibleTo(panel.get())) << "one display";
    model.desktop.addScreen(std::nullopt, Rect{1280, 0, 1280, 800});
    model.desktop.setMainDisplayID(9);
    MultiScreenControlsSection& section = *build().multiScreenSection();
    EXPECT_TRUE(section.isVisibleTo(panel.get()));
    ExclusionRow& row = *section.displayRow();
    for (std::optional<std::uint32_t> id : {std::optional<std::uint32_t>(), std::optional(42u)}) {
        settings.setActiveScreenID(id);
        testing::settle();
        EXPECT_EQ(row.titleLabel()->text(), "active_display_unavailable");
        EXPECT_FALSE(row.isEnabled());
        click(&row);
        EXPECT_TRUE(settings.excludedDisplayUUIDs.get().empty());
    }
    // A display without a number or UUID takes the main display's id, kept in decimal.
    settings.setActiveScreenID(9);
    testing::settle();
    click(&row);
    EXPECT_EQ(settings.excludedDisplayUUIDs.get(), std::set<std::string>{"9"});
    EXPECT_TRUE(row.isExcluded());

    click(section.activeScreenButton());
    EXPECT_EQ(settings.multiScreenFocusMode.get(), MultiScreenFocusMode::activeScreenOnly);
    EXPECT_TRUE(section.activeScreenButton()->isSelected());
    EXPECT_FALSE(section.perScreenButton()->isSelected());
}

TEST_F(QuickPanelTest, SwitchAndBannerFollowOutsideChangesAndBothLinksCallTheirCallbacks) {
    QuickPanelView& view = build();
    settings.setIsEnabled(false);
    testing::settle();
    EXPECT_FALSE(view.badge()->isActive());
    EXPECT_FALSE(view.enableRow()->toggle()->isOn());
    EXPECT_EQ(view.enableRow()->subtitle()->text(), "effect_is_paused");

    UpdateStatusBanner& banner = *view.updateBanner();
    for (const auto& state : {UpdateAvailability::unknown(), UpdateAvailability::available("2.1"),
                              UpdateAvailability::noUpdate()}) {
        model.updater.updateAvailability.set(state);
        testing::settle();
        EXPECT_EQ(banner.isVisibleTo(&view), state.isAvailable());
    }
    testing::installStrings("\"update_available_subtitle\" = \"Version %@ is ready\";");
    model.updater.updateAvailability.set(UpdateAvailability::available("2.1"));
    build();
    EXPECT_EQ(panel->updateBanner()->subtitle(), "Version 2.1 is ready");
    click(panel->updateBanner());
    click(panel->settingsButton());
    EXPECT_EQ(aboutOpened, 1);
    EXPECT_EQ(settingsOpened, 1);
}

TEST_F(QuickPanelTest, TheWindowTakesThePanelsFinalHeightAtOnceAndFollowsFoldingWithinTheLimit) {
    // Hosted as the tray hosts it: a window that takes the panel's size before it first shows.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* view = new QuickPanelView(model.context, nullptr, nullptr);
    view->setHeightLimit(5000);
    layout->addWidget(view);
    window.adjustSize();
    const int first = window.height();
    testing::render(window, Appearance::light);
    EXPECT_EQ(window.height(), first) << "no stale row heights before the first show";
    const auto layOut = [] { // each level of nested layouts takes one pass of the event loop
        for (int i = 0; i < 8; ++i) {
            testing::settle();
        }
    };
    click(view->glassEffectsCard()->header());
    layOut();
    EXPECT_LT(window.height(), first - 200) << "folded";
    view->setHeightLimit(400);
    layOut();
    EXPECT_EQ(window.height(), 400) << "the rest scrolls";
    testing::expectScrollsWithoutScrollBar(*view->findChild<QScrollArea*>());
}

TEST_F(QuickPanelTest, FoldingIsKeptInTheStandardDomainAcrossRebuilds) {
    click(build().glassEffectsCard()->header());
    EXPECT_EQ(model.standard->boolValue(QuickPanelView::kGlassEffectsExpandedKey), false);
    EXPECT_FALSE(model.suite->hasValue(QuickPanelView::kGlassEffectsExpandedKey));
    QuickPanelView& again = build();
    EXPECT_FALSE(again.glassEffectsCard()->isExpanded());
    EXPECT_TRUE(again.effectModeCard()->isExpanded()) << "unset flags default to unfolded";
}

TEST_F(QuickPanelTest, ItsTextsKeepTheirContrastWhateverLiesBehindThePanel) {
    QuickPanelView& view = build();
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        view.setPalette(paletteFor(appearance));
        // The panel's own fill beside its cards, over what lies behind its window: the texts on
        // it keep their contrast as long as it stays what it is over a neutral desktop.
        const auto fillOver = [&](const QColor& behind) {
            QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(behind);
            view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image.pixel(3, view.height() / 2);
        };
        const QRgb neutral = fillOver(QColor(128, 128, 128));
        for (const QColor& behind : {QColor(Qt::white), QColor(Qt::black), QColor(255, 0, 0),
                                     QColor(0, 200, 0), QColor(0, 0, 255)}) {
            EXPECT_LE(colourDistance(fillOver(behind), neutral), 12) << behind.name().toStdString();
        }
    }
}

TEST(ExclusionRowTest, TheBadgeHasNoRimADisabledRowDimsAllAlikeAndTextsKeepClearOfThePill) {
    testing::installLanguage("en");
    // The badge on an application icon of one colour: the icon reaches right up to its disc.
    BadgedIcon badged;
    QImage red(64, 64, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(220, 0, 0));
    badged.setImage(red);
    badged.setExcluded(true);
    const QImage icon = testing::render(badged, Appearance::dark);
    const QRect disc = testing::inkBounds(icon, icon.rect(), [](QRgb p) {
        return qBlue(p) > 200 && qRed(p) < 60; // the accent
    });
    ASSERT_GT(disc.width(), 8);
    const QPoint rim = QRectF(disc).center().toPoint() - QPoint(disc.width() / 2 + 1, 0);
    EXPECT_GT(icon.pixelColor(rim).red(), 180) << "the icon, not the window's colour, around it";

    ExclusionRow row;
    row.icon()->setSymbol(symbolName("display"), 23, FontWeight::medium);
    row.resize(320, row.sizeHint().height());
    const auto drawn = [&](bool available) {
        row.setContent(QString(60, 'W'), "Exclude this display", "Exclude display", false,
                       available);
        return testing::render(row, Appearance::light);
    };
    const QImage enabled = drawn(true);
    EXPECT_EQ(row.pill()->x() - row.titleLabel()->geometry().right() - 1, ExclusionRow::kSpacing);
    const QImage disabled = drawn(false);
    // The icon, the subtitle (the title turns grey besides) and the pill keep alike little ink.
    for (QWidget* part : {static_cast<QWidget*>(row.icon()),
                          static_cast<QWidget*>(row.findChildren<TextLabel*>().at(1)),
                          static_cast<QWidget*>(row.pill())}) {
        const QRect area(part->mapTo(&row, QPoint()), part->size());
        EXPECT_NEAR(testing::inkMass(disabled, area, disabled.pixel(0, 0)) /
                        double(testing::inkMass(enabled, area, enabled.pixel(0, 0))),
                    kDisabledOpacity, 0.03)
            << part->metaObject()->className();
    }
}

// Contrast ratio of two opaque colours, by their relative luminance.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ExclusionRowTest, TheBadgesMinusIsAWhiteBarOnTheAccent) {
    const QColor accent = toQColor(TavriluxTheme::accent);
    QImage red(64, 64, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(220, 0, 0));
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        for (bool image : {true, false}) {
            SCOPED_TRACE(::testing::Message() << (appearance == Appearance::dark ? "dark" : "light")
                                              << (image ? ", on an image" : ", on a symbol"));
            BadgedIcon badged;
            image ? badged.setImage(red)
                  : badged.setSymbol(symbolName("display"), 23, FontWeight::medium);
            badged.setExcluded(true);
            const QImage icon = testing::render(badged, appearance);
            const QRect disc = testing::inkBounds(
                icon, icon.rect(), [&](QRgb p) { return colourDistance(p, accent) < 24; });
            ASSERT_GT(disc.width(), 8);
            const QPoint centre = QRectF(disc).center().toPoint();
            const QColor middle = icon.pixelColor(centre);
            EXPECT_GE(contrast(middle, accent), 3.0)
                << "the minus is " << middle.name().toStdString() << ", "
                << contrast(middle, accent) << ":1";
            EXPECT_GT(std::min({middle.red(), middle.green(), middle.blue()}), 235) << "white";
            // A bar across the middle, the disc above and below it and at its ends.
            for (const QPoint off :
                 {QPoint(0, disc.height() / 4), QPoint(0, -disc.height() / 4),
                  QPoint(disc.width() * 3 / 8, 0), QPoint(-disc.width() * 3 / 8, 0)}) {
                EXPECT_LT(colourDistance(icon.pixelColor(centre + off), accent), 24)
                    << off.x() << "," << off.y();
            }
            int white = 0;
            for (int x = disc.left(); x <= disc.right(); ++x) {
                white += contrast(icon.pixelColor(x, centre.y()), accent) >= 3.0;
            }
            EXPECT_GE(white, disc.width() / 3);
        }
    }
}
} // namespace
} // namespace tavrilux::ui
