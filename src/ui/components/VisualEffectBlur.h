#pragma once

#include "ui/foundation/Appearance.h"

#include <QWidget>

namespace tavrilux::ui {

// The frosted material behind a panel. It paints a nearly opaque fill of the material's tint; a
// window that is translucent (a compositor runs) lets a trace of the desktop through it, blurred
// when the window carries the compositor's blur-behind hint, which the window's owner sets. In an
// opaque window the fill is opaque, since there is nothing behind to show. The material is always
// active, whether or not its window has the focus.
class VisualEffectBlur final : public QWidget {
    Q_OBJECT
public:
    enum class Material { hudWindow };
    enum class BlendingMode { behindWindow, withinWindow };

    explicit VisualEffectBlur(Material material = Material::hudWindow,
                              BlendingMode blendingMode = BlendingMode::behindWindow,
                              bool emphasized = false, QWidget* parent = nullptr);

    void setMaterial(Material material);
    void setBlendingMode(BlendingMode mode);
    void setEmphasized(bool emphasized);
    Material material() const { return material_; }
    BlendingMode blendingMode() const { return blendingMode_; }
    bool isEmphasized() const { return emphasized_; }

    static constexpr float kTranslucentOpacity = 0.96f;

    // The material's fill in an appearance; opaque when the window behind is not translucent.
    static QColor tint(Material material, Appearance appearance, bool translucentWindow);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material material_;
    BlendingMode blendingMode_;
    bool emphasized_;
};

} // namespace tavrilux::ui
