#include "ui/components/SwatchGrouping.h"

#include <algorithm>

namespace tavrilux::ui {

std::vector<std::span<const GlassColorSwatch>>
swatchFamilies(std::span<const GlassColorSwatch> swatches) {
    constexpr std::size_t kShades = 4;
    std::vector<std::span<const GlassColorSwatch>> families;
    for (std::size_t start = 0; start < swatches.size(); start += kShades) {
        families.push_back(swatches.subspan(start, std::min(kShades, swatches.size() - start)));
    }
    return families;
}

std::vector<std::size_t> familyRowSizes(std::size_t familyCount,
                                        std::span<const std::size_t> rowCounts) {
    std::vector<std::size_t> rows;
    std::size_t position = 0;
    for (std::size_t count : rowCounts) {
        if (position == familyCount) {
            continue;
        }
        const std::size_t taken = std::min(count, familyCount - position);
        rows.push_back(taken);
        position += taken;
    }
    if (position < familyCount) {
        rows.push_back(familyCount - position);
    }
    return rows;
}

bool paletteContains(std::span<const GlassColorSwatch> swatches, const OverlayColor& colour) {
    return std::any_of(swatches.begin(), swatches.end(),
                       [&](const GlassColorSwatch& s) { return s.color == colour; });
}

} // namespace tavrilux::ui
