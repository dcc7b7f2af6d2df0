#pragma once

#include "ui/foundation/Fonts.h"
#include "ui/foundation/Painting.h"
#include "ui/foundation/UiColor.h"

#include <QWidget>

#include <string>
#include <string_view>

namespace tavrilux::ui {

// A symbol centred on a rounded square tile (the screen header's icon, the sidebar's).
class SymbolTile final : public QWidget {
    Q_OBJECT
public:
    struct Look {
        int edge = 34;
        qreal cornerRadius = 9;
        qreal symbolSize = 15;
        FontWeight weight = FontWeight::semibold;
        UiColor fill = UiColor::accent(0.18);
        UiColor symbol = UiColor::accent();
    };

    SymbolTile(std::string_view name, const Look& look, QWidget* parent = nullptr);

    const std::string& name() const { return name_; }
    void setName(std::string_view name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string name_;
    Look look_;
    CachedPath shape_;
};

} // namespace tavrilux::ui
