#include "ScreenReading.h"
#include "UiHarness.h"

#include "ui/components/BorderedButton.h"
#include "ui/components/CollapsibleGlassCard.h"
#include "ui/components/ColorSwatchRow.h"
#include "ui/components/CustomSwatch.h"
#include "ui/components/DisclosureHeader.h"
#include "ui/components/GlassCard.h"
#include "ui/components/PaletteSwatchCell.h"
#include "ui/components/PercentSliderRow.h"
#include "ui/components/SectionLabel.h"
#include "ui/components/SettingsActionRow.h"
#include "ui/components/SliderRow.h"
#include "ui/components/StatusBadge.h"
#include "ui/components/StepSlider.h"
#include "ui/components/SwatchGrouping.h"
#include "ui/components/TavriluxSwitch.h"
#include "ui/components/ToggleRow.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrilux::ui {
namespace {

using testing::render;

TEST(StatusBadgeTest, TextAndCapsuleFollowTheStateAndAMissingTextShowsItsKey) {
    testing::installStrings("\"status_on\" = \"ON\";");
    StatusBadge badge(true);
    EXPECT_EQ(badge.text(), "ON");
    const QRgb on = render(badge, Appearance::light).pixel(4, badge.height() / 2);
    EXPECT_GT(qGreen(on), qRed(on) + 10) << "a green capsule";
    badge.setActive(false);
    EXPECT_EQ(badge.text(), "status_off");
    const QRgb off = render(badge, Appearance::light).pixel(4, badge.height() / 2);
    EXPECT_LT(std::abs(qGreen(off) - qRed(off)), 6) << "a grey one";
}

TEST(GlassCardTest, RestylesAtOnceWhenTheAppearanceChanges) {
    GlassCard card;
    card.resize(100, 40);
    for (Appearance appearance : {Appearance::light, Appearance::dark, Appearance::light}) {
        EXPECT_EQ(qGray(render(card, appearance).pixel(50, 20)) > 128,
                  appearance == Appearance::light);
    }
}

TEST(SectionLabelTest, ShowsCapitalsByTheLocaleAndKeepsItsTitle) {
    SectionLabel label("istanbul");
    label.setLocale(QLocale(QLocale::English));
    EXPECT_EQ(label.displayedText(), "ISTANBUL");
    label.setLocale(QLocale(QLocale::Turkish));
    EXPECT_EQ(label.displayedText(), QString::fromUtf8("İSTANBUL"));
    EXPECT_EQ(label.title(), "istanbul");
}

TEST(CollapsibleGlassCardTest, AClickInTheHeadersEmptyMiddleFoldsAndUnfoldsThroughItsOwner) {
    CollapsibleGlassCard card("Glass effects", false);
    card.addWidget(new QWidget);
    QObject::connect(&card, &CollapsibleGlassCard::expansionRequested, &card,
                     &CollapsibleGlassCard::setExpanded);
    card.resize(320, 200);
    render(card, Appearance::light);
    EXPECT_TRUE(card.body()->isHidden()) << "collapsed: no divider, no content";
    DisclosureHeader* header = card.header();
    // A chevron's arms both end on its open side, spanning it; it points to the other side.
    const auto pointsTo = [header] {
        const QImage image = render(*header, Appearance::light);
        const auto ink = [&](QRgb p) { return colourDistance(p, image.pixel(0, 0)) > 40; };
        const QRect c =
            testing::inkBounds(image, QRect(header->width() - 40, 0, 40, image.height()), ink);
        const auto edge = [&](int dx, int dy) { // the ink along one edge of the chevron's box
            return testing::inkBounds(image,
                                      QRect(dx > 0 ? c.right() : c.left(),
                                            dy > 0 ? c.bottom() : c.top(), dx ? 1 : c.width(),
                                            dy ? 1 : c.height()),
                                      ink)
                .size();
        };
        if (c.width() > c.height()) {
            return edge(0, -1).width() > edge(0, 1).width() ? 'D' : 'U';
        }
        return edge(-1, 0).height() > edge(1, 0).height() ? 'R' : 'L';
    };
    EXPECT_EQ(pointsTo(), 'R');
    for (bool expanded : {true, false}) {
        QTest::mouseClick(header, Qt::LeftButton, {},
                          QPoint(header->width() / 2, header->height() / 2));
        EXPECT_EQ(card.body()->isHidden(), !expanded);
        EXPECT_EQ(header->isExpanded(), expanded);
        EXPECT_EQ(pointsTo(), expanded ? 'D' : 'R');
    }
}

TEST(TavriluxSwitchTest, AsksForTheNegationNeverFlipsItselfAndSaysItsState) {
    testing::installStrings("\"accessibility_enabled\" = \"Enabled\";\n"
                            "\"accessibility_on\" = \"On\";\n\"accessibility_off\" = \"Off\";");
    TavriluxSwitch toggle;
    QSignalSpy requests(&toggle, &TavriluxSwitch::toggleRequested);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    ASSERT_EQ(requests.count(), 1);
    EXPECT_TRUE(requests.at(0).at(0).toBool());
    EXPECT_FALSE(toggle.isOn());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&toggle);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Enabled");
    EXPECT_EQ(accessible->text(QAccessible::Value), "Off");

    // The knob sits on the side of its state, on a grey track when off and an accent one when
    // on; a switch that takes no input is drawn faint.
    const QImage off = render(toggle, Appearance::light);
    toggle.setOn(true);
    const QImage on = render(toggle, Appearance::light);
    EXPECT_LT(qGray(off.pixel(34, 12)), qGray(off.pixel(12, 12)));
    EXPECT_GT(qGray(on.pixel(34, 12)), qGray(on.pixel(12, 12)));
    EXPECT_LT(std::abs(qRed(off.pixel(40, 12)) - qBlue(off.pixel(40, 12))), 8) << "grey";
    EXPECT_GT(qBlue(on.pixel(6, 12)), qRed(on.pixel(6, 12)) + 100) << "the accent";
    EXPECT_EQ(accessible->text(QAccessible::Value), "On");
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_FALSE(requests.at(1).at(0).toBool());
    toggle.setEnabled(false);
    EXPECT_NEAR(colourDistance(render(toggle, Appearance::light).pixel(6, 12), on.pixel(0, 0)) /
                    double(colourDistance(on.pixel(6, 12), on.pixel(0, 0))),
                kDisabledOpacity, 0.03);
}

TEST(SwatchGroupingTest, FamiliesFillRowsOfThreeAndTheRestShareALastRow) {
    const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases{
        {9, {3, 3, 3}}, {10, {3, 3, 3, 1}}, {14, {3, 3, 3, 5}}, {7, {3, 3, 1}}, {0, {}}};
    for (const auto& [families, rows] : cases) {
        EXPECT_EQ(familyRowSizes(families, ColorSwatchRow::kRowFamilyCounts), rows) << families;
    }
    std::vector<GlassColorSwatch> six(6);
    const auto groups = swatchFamilies(six);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[1].size(), 2u);
}

int selectedCells(const ColorSwatchRow& row) {
    return static_cast<int>(std::count_if(row.cells().begin(), row.cells().end(),
                                          [](auto* cell) { return cell->isSelected(); }));
}

TEST(ColorSwatchRowTest, OneCellWearsTheSelectionAndOnlyForeignColoursGetTheRoundSwatch) {
    GlassCard card; // drawn on its card, as in the panel
    auto* row = new ColorSwatchRow("Glass color", testing::glassPalette());
    card.addWidget(row);
    card.resize(320, row->sizeHint().height());
    const auto pixelOf = [&](QWidget* widget, QPoint at) {
        return render(card, Appearance::light).pixel(widget->mapTo(&card, at));
    };
    const auto edgeAndMiddle = [&](PaletteSwatchCell* cell) {
        return std::pair(pixelOf(cell, QPoint(cell->width() / 2, 0)),
                         pixelOf(cell, cell->rect().center()));
    };
    const OverlayColor emerald = testing::glassPalette()[13].color;
    row->setSelection(emerald);
    EXPECT_EQ(selectedCells(*row), 1);
    EXPECT_FALSE(row->showsCustomSwatch());
    // The selection wears a white border; the white cell, melting into the light card, a hairline.
    row->setSelection(testing::glassPalette()[35].color); // Neutral 700
    const auto [selectedEdge, selectedMiddle] = edgeAndMiddle(row->cells()[35]);
    EXPECT_GT(qGray(selectedEdge), 230);
    EXPECT_LT(qGray(selectedMiddle), 40);
    const auto [whiteEdge, whiteMiddle] = edgeAndMiddle(row->cells()[32]); // Neutral 400
    EXPECT_GT(colourDistance(whiteEdge, whiteMiddle), 20);
    // Foreign colours, one off a palette colour in its last digit too, show in the round swatch.
    const OverlayColor nearly{emerald.red, emerald.green, std::nextafter(emerald.blue, 2.0)};
    for (const OverlayColor& foreign : {OverlayColor::black, nearly}) {
        row->setSelection(foreign);
        EXPECT_EQ(selectedCells(*row), 0);
        const QColor middle =
            QColor::fromRgb(pixelOf(row->customSwatch(), row->customSwatch()->rect().center()));
        EXPECT_NEAR(middle.greenF(), foreign.green, 0.02);
        EXPECT_NEAR(middle.blueF(), foreign.blue, 0.02);
    }
    QSignalSpy requests(row, &ColorSwatchRow::selectionRequested);
    PaletteSwatchCell* cell = row->cells()[20];
    EXPECT_GT(cell->width(), 10);
    QTest::mouseClick(cell, Qt::LeftButton);
    ASSERT_EQ(requests.count(), 1);
    EXPECT_EQ(requests.at(0).at(0).value<OverlayColor>(), testing::glassPalette()[20].color);
    EXPECT_EQ(row->selection(), nearly) << "the row waits for its owner";

    ColorSwatchRow empty("Glass color", {});
    empty.setSelection(emerald);
    EXPECT_TRUE(empty.cells().empty());
    EXPECT_TRUE(empty.showsCustomSwatch());
}

TEST(SliderTest, PercentReadoutRoundsHalvesAwayFromZeroAndSurvivesNonNumbers) {
    testing::installStrings("\"percent_format\" = \"%@%\";");
    const std::vector<std::pair<double, QString>> cases{
        {0.125, "13%"},
        {0.994, "99%"},
        {0.995, "100%"},
        {-0.125, "-13%"},
        {std::nan(""), "—%"},
        {std::numeric_limits<double>::infinity(), "—%"},
        {1e300, "9200000000000000000%"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(percentText(value), text) << value;
    }
}

TEST(SliderTest, ShowsAnyValueWithoutWritingItAndDragsRequestWholeStepsOnce) {
    testing::installStrings("\"percent_format\" = \"%@%\";");
    PercentSliderRow row("Blur");
    QSignalSpy requests(&row, &PercentSliderRow::valueRequested);
    row.resize(300, row.sizeHint().height());
    row.setValue(0);
    render(row, Appearance::light);
    const QImage start = render(*row.slider(), Appearance::light);
    row.setValue(std::nan(""));
    EXPECT_EQ(render(*row.slider(), Appearance::light), start) << "no number: at the start";
    row.setValue(0.37);
    EXPECT_EQ(row.readout(), "37%");
    EXPECT_EQ(requests.count(), 0);

    StepSlider* slider = row.slider();
    auto at = [&](double fraction) {
        return QPoint(static_cast<int>(9 + (slider->width() - 18) * fraction),
                      slider->height() / 2);
    };
    QTest::mousePress(slider, Qt::LeftButton, {}, at(0.43));
    QTest::mouseMove(slider, at(0.41));
    QTest::mouseMove(slider, at(0.72));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(0.72));
    ASSERT_EQ(requests.count(), 2);
    EXPECT_EQ(requests.at(0).at(0).toDouble(), 0.4);
    EXPECT_EQ(requests.at(1).at(0).toDouble(), 0.7);
    EXPECT_EQ(row.readout(), "37%") << "the row shows what its owner gives it";

    const SliderSteps speed{0.25, 2.0, 10};
    EXPECT_NEAR(speed.step(), 0.175, 1e-12);
    EXPECT_EQ(speed.valueAt(1.0), 2.0);
    EXPECT_NEAR(speed.stepFrom(0.6, 1), 0.775, 1e-12);

    SliderRow empty("Speed", "", 1.0, 1.0, "Fast", "Slow");
    QSignalSpy none(&empty, &SliderRow::valueRequested);
    empty.resize(300, empty.sizeHint().height());
    render(empty, Appearance::light);
    EXPECT_FALSE(empty.slider()->isEnabled());
    QTest::mouseClick(empty.slider(), Qt::LeftButton);
    EXPECT_EQ(none.count(), 0);
}

TEST(RowTest, OnlyTheSwitchTogglesAndTheActionRowsButtonTriggers) {
    ToggleRow toggle("Automatic updates", "Download in the background");
    QSignalSpy toggles(&toggle, &ToggleRow::toggleRequested);
    toggle.resize(400, toggle.sizeHint().height());
    render(toggle, Appearance::light);
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(40, toggle.height() / 2));
    EXPECT_EQ(toggles.count(), 0);
    QTest::mouseClick(toggle.toggle(), Qt::LeftButton);
    EXPECT_EQ(toggles.count(), 1);

    SettingsActionRow action("Current version", std::nullopt, "Check now");
    QSignalSpy triggered(&action, &SettingsActionRow::triggered);
    render(action, Appearance::light);
    QTest::mouseClick(action.button(), Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);
}

} // namespace
} // namespace tavrilux::ui
