#include "ui/components/SymbolIcon.h"

#include "ui/foundation/Symbols.h"

#include <QPainter>

#include <cmath>

namespace tavrilux::ui {

SymbolIcon::SymbolIcon(std::string_view name, qreal size, FontWeight weight, const UiColor& colour,
                       QWidget* parent)
    : QWidget(parent), name_(name), size_(size), weight_(weight), colour_(colour) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolIcon::setName(std::string_view name) {
    name_ = name;
    update();
}

void SymbolIcon::setColor(const UiColor& colour) {
    colour_ = colour;
    update();
}

void SymbolIcon::setRotation(qreal degrees) {
    rotation_ = degrees;
    update();
}

QSize SymbolIcon::sizeHint() const {
    const int edge = static_cast<int>(std::ceil(size_ * SymbolFont::kScale));
    return QSize(edge, edge);
}

void SymbolIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF box = rect();
    painter.translate(box.center());
    painter.rotate(rotation_);
    painter.translate(-box.center());
    drawSymbol(painter, box, name_, size_, colour_.resolve(this), weight_);
}

} // namespace tavrilux::ui
