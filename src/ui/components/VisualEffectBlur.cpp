#include "ui/components/VisualEffectBlur.h"

#include <QPainter>

namespace tavrilux::ui {

VisualEffectBlur::VisualEffectBlur(Material material, BlendingMode blendingMode, bool emphasized,
                                   QWidget* parent)
    : QWidget(parent), material_(material), blendingMode_(blendingMode), emphasized_(emphasized) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void VisualEffectBlur::setMaterial(Material material) {
    material_ = material;
    update();
}

void VisualEffectBlur::setBlendingMode(BlendingMode mode) {
    blendingMode_ = mode;
    update();
}

void VisualEffectBlur::setEmphasized(bool emphasized) {
    emphasized_ = emphasized;
    update();
}

QColor VisualEffectBlur::tint(Material, Appearance appearance, bool translucentWindow) {
    QColor colour = appearance == Appearance::dark ? QColor(46, 46, 50) : QColor(246, 246, 248);
    // Dense enough that what lies behind (a tinted overlay, a bright wallpaper) cannot change
    // the contrast of the texts on it, as a real blur material keeps it.
    colour.setAlphaF(translucentWindow ? kTranslucentOpacity : 1.0f);
    return colour;
}

void VisualEffectBlur::paintEvent(QPaintEvent*) {
    const bool translucent = window()->testAttribute(Qt::WA_TranslucentBackground) &&
                             blendingMode_ == BlendingMode::behindWindow;
    QPainter(this).fillRect(rect(), tint(material_, appearanceOf(this), translucent));
}

} // namespace tavrilux::ui
