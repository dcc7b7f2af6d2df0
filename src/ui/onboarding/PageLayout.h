#pragma once

#include <QRectF>

#include <vector>

class QWidget;

namespace tavrilux::ui {

// The frame every onboarding page shares: a flexible space, the page's content, a second
// flexible space and the page's button near the bottom, so the content floats in the middle of
// the room above the button. Places the button (centred, `bottomInset` above the page's bottom)
// and returns the content's top edge. When the content does not fit with a small margin above
// and below it, its `gaps` (fixed spaces between its parts, in points) shrink together, and are
// rewritten, until it does.
qreal layOutPage(const QWidget& page, QWidget& button, qreal contentHeight, qreal bottomInset,
                 std::vector<qreal>* gaps = nullptr);

} // namespace tavrilux::ui
