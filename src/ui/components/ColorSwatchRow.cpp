#include "ui/components/ColorSwatchRow.h"

#include "core/localization/LocalizationManager.h"

#include "ui/components/CustomSwatch.h"
#include "ui/components/PaletteSwatchCell.h"
#include "ui/components/RowTexts.h"
#include "ui/components/SwatchGrouping.h"
#include "ui/components/TextLabel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace tavrilux::ui {

namespace {
constexpr int kHeaderHeight = 22;
constexpr int kHeaderGap = 10;
constexpr int kCellHeight = 22;
constexpr int kRowGap = 8;
constexpr qreal kFamilyGap = 7;
constexpr qreal kCellGap = 1;
constexpr Spring kTapSpring{0.22, 0.72};

// "Emerald 500" in English: the family's name in the user's language and the shade.
QString swatchName(const GlassColorSwatch& swatch) {
    std::string family = "color_family_" + swatch.family;
    std::transform(family.begin(), family.end(), family.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return QString::fromStdString(
        withArgument(withArgument(L(localizationKey("color_swatch_format")), L(family)),
                     std::to_string(swatch.shade)));
}
} // namespace

ColorSwatchRow::ColorSwatchRow(const QString& title, std::vector<GlassColorSwatch> swatches,
                               QWidget* parent)
    : QWidget(parent), swatches_(std::move(swatches)), title_(makeRowTitle(title)),
      custom_(new CustomSwatch(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    title_->setParent(this);
    custom_->setAccessibleName(title);
    custom_->setSelected(true);
    connect(custom_, &QAbstractButton::clicked, this,
            [this] { emit selectionRequested(custom_->colour()); });
    rowSizes_ = familyRowSizes(swatchFamilies(swatches_).size(), kRowFamilyCounts);
    for (const GlassColorSwatch& swatch : swatches_) {
        auto* cell = new PaletteSwatchCell(swatch.color, swatchName(swatch), this);
        connect(cell, &QAbstractButton::clicked, this,
                [this, colour = swatch.color] { emit selectionRequested(colour); });
        cells_.push_back(cell);
    }
    setSelection(OverlayColor{});
}

void ColorSwatchRow::setSelection(const OverlayColor& selection) {
    selection_ = selection;
    for (PaletteSwatchCell* cell : cells_) {
        cell->setSelected(cell->colour() == selection);
    }
    const bool custom = !paletteContains(swatches_, selection);
    if (custom) {
        custom_->setColour(selection);
    }
    custom_->setPresent(custom, kTapSpring);
}

bool ColorSwatchRow::showsCustomSwatch() const {
    return custom_->isPresent();
}

int ColorSwatchRow::gridHeight() const {
    const int rows = static_cast<int>(rowSizes_.size());
    return rows == 0 ? 0 : rows * kCellHeight + (rows - 1) * kRowGap;
}

QSize ColorSwatchRow::sizeHint() const {
    const int grid = gridHeight();
    return QSize(292, 2 * kRowInsetY + kHeaderHeight + (grid > 0 ? kHeaderGap + grid : 0));
}

QSize ColorSwatchRow::minimumSizeHint() const {
    return QSize(160, sizeHint().height());
}

void ColorSwatchRow::resizeEvent(QResizeEvent*) {
    layoutGrid();
}

void ColorSwatchRow::layoutGrid() {
    const qreal left = kRowInsetX;
    const qreal width = this->width() - 2 * kRowInsetX;
    const int headerTop = kRowInsetY;
    title_->setGeometry(kRowInsetX, headerTop, static_cast<int>(width) - 32, kHeaderHeight);
    custom_->move(static_cast<int>(left + width) - custom_->width() + 3,
                  headerTop + (kHeaderHeight - custom_->height()) / 2);

    const auto families = swatchFamilies(swatches_);
    std::size_t family = 0;
    std::size_t cellIndex = 0;
    qreal top = headerTop + kHeaderHeight + kHeaderGap;
    for (std::size_t inRow : rowSizes_) {
        const qreal familyWidth =
            (width - kFamilyGap * static_cast<qreal>(inRow - 1)) / static_cast<qreal>(inRow);
        for (std::size_t f = 0; f < inRow; ++f, ++family) {
            const QRectF pill(left + static_cast<qreal>(f) * (familyWidth + kFamilyGap), top,
                              familyWidth, kCellHeight);
            const std::size_t shades = families[family].size();
            const qreal cellWidth = (familyWidth - kCellGap * static_cast<qreal>(shades - 1)) /
                                    static_cast<qreal>(shades);
            for (std::size_t s = 0; s < shades; ++s, ++cellIndex) {
                // whole pixels, shared edges rounded the same way, so cells never overlap
                const qreal x0 = pill.left() + static_cast<qreal>(s) * (cellWidth + kCellGap);
                const int l = static_cast<int>(std::round(x0));
                const int r = static_cast<int>(std::round(x0 + cellWidth));
                PaletteSwatchCell* cell = cells_[cellIndex];
                cell->setGeometry(l, static_cast<int>(top), std::max(1, r - l), kCellHeight);
                cell->setFamilyRect(pill.translated(-l, -top));
            }
        }
        top += kCellHeight + kRowGap;
    }
}

} // namespace tavrilux::ui
