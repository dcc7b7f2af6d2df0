#pragma once

#include "core/settings/OverlayColor.h"
#include "core/theme/GlassColorSwatch.h"

#include <cstddef>
#include <span>
#include <vector>

namespace tavrilux::ui {

// The palette cut into consecutive groups of four (one colour family each; the last group is
// shorter when the count is not a multiple of four).
std::vector<std::span<const GlassColorSwatch>>
swatchFamilies(std::span<const GlassColorSwatch> swatches);

// How many families each row of the grid holds: `rowCounts` in turn while families remain,
// then one more row with all that are left. With {3, 3, 3}: 9 give 3, 3, 3; 10 give 3, 3, 3, 1;
// 14 give 3, 3, 3, 5; 7 give 3, 3, 1; none give no rows.
std::vector<std::size_t> familyRowSizes(std::size_t familyCount,
                                        std::span<const std::size_t> rowCounts);

// A palette entry has exactly this colour (red, green and blue compared exactly).
bool paletteContains(std::span<const GlassColorSwatch> swatches, const OverlayColor& colour);

} // namespace tavrilux::ui
