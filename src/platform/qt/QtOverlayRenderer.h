#pragma once

#include "core/overlay/OverlayPaintState.h"

#include <cstdint>

namespace tavrilux::qt {

// Paints an overlay's content with QPainter into a premultiplied ARGB buffer of `width` x
// `height` pixels, rows top to bottom: the frosted fill that stands in for the blur, the grain,
// the glass border and the tint, then the ambient or aura mask over all of them. The window
// alpha is not applied here; the window carries it.
void renderOverlay(const OverlayPaintState& state, std::uint32_t* pixels, int width, int height);

} // namespace tavrilux::qt
