#pragma once

#include "core/settings/OverlayColor.h"
#include "core/theme/GlassColorSwatch.h"

#include <QWidget>

#include <array>
#include <cstddef>
#include <vector>

namespace tavrilux::ui {

class CustomSwatch;
class PaletteSwatchCell;
class TextLabel;

// Picks the overlay tint from a palette. A title, and at its trailing end, only while the
// selection matches no palette colour, a round swatch of the selection; below, the palette as
// rows of colour-family pills (three families a row, the rest on one more row), each family's
// shades side by side. Exactly the cells whose colour equals the selection wear a white border.
// A click on a cell (or on the round swatch) emits selectionRequested; the row changes nothing
// itself until setSelection() is called.
class ColorSwatchRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr std::array<std::size_t, 3> kRowFamilyCounts{3, 3, 3};

    ColorSwatchRow(const QString& title, std::vector<GlassColorSwatch> swatches,
                   QWidget* parent = nullptr);

    void setSelection(const OverlayColor& selection);
    const OverlayColor& selection() const { return selection_; }

    // The round swatch is shown (the selection is not a palette colour).
    bool showsCustomSwatch() const;
    const std::vector<PaletteSwatchCell*>& cells() const { return cells_; }
    CustomSwatch* customSwatch() const { return custom_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void selectionRequested(const OverlayColor& colour);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutGrid();
    int gridHeight() const;

    std::vector<GlassColorSwatch> swatches_;
    std::vector<std::size_t> rowSizes_;
    OverlayColor selection_;
    TextLabel* title_;
    CustomSwatch* custom_;
    std::vector<PaletteSwatchCell*> cells_;
};

} // namespace tavrilux::ui
