#include "ui/components/SymbolTile.h"

#include "ui/foundation/Symbols.h"

#include <QPainter>

namespace tavrilux::ui {

SymbolTile::SymbolTile(std::string_view name, const Look& look, QWidget* parent)
    : QWidget(parent), name_(name), look_(look) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(look.edge, look.edge);
}

void SymbolTile::setName(std::string_view name) {
    name_ = name;
    update();
}

void SymbolTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile = rect();
    painter.fillPath(shape_.get(Shape::rounded(look_.cornerRadius), tile),
                     look_.fill.resolve(this));
    drawSymbol(painter, tile, name_, look_.symbolSize, look_.symbol.resolve(this), look_.weight);
}

} // namespace tavrilux::ui
