#pragma once

#include "ui/foundation/Fonts.h"
#include "ui/foundation/Presence.h"

#include <QImage>
#include <QWidget>

#include <string>
#include <string_view>

namespace tavrilux::ui {

// The icon of an exclusion row in a 32-point square: an image (an application's icon) or a
// symbol. While excluded, a minus badge sits on its lower trailing corner, springing in from
// 0.4 of its size. The widget keeps 4 points around the square for the badge, which reaches
// past it.
class BadgedIcon final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIconSize = 32;
    static constexpr int kOverhang = 4;
    static constexpr Spring kSpring{0.38, 0.72};

    explicit BadgedIcon(QWidget* parent = nullptr);

    // The image fills the square; a null image shows nothing until a symbol is set.
    void setImage(const QImage& image);
    void setSymbol(std::string_view name, qreal size, FontWeight weight);
    void setExcluded(bool excluded);
    bool isExcluded() const { return badge_.isPresent(); }
    bool showsImage() const { return !image_.isNull(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    std::string symbol_;
    qreal symbolSize_ = 0;
    FontWeight weight_ = FontWeight::regular;
    Presence badge_;
};

} // namespace tavrilux::ui
