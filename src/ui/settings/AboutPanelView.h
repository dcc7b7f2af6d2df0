#pragma once

#include <QWidget>

#include <optional>
#include <string>

namespace tavrilux::ui {

// The stand-alone About window's content: the brand mark, the name, the tagline and the version,
// centred on the frosted material, exactly 260 points wide.
class AboutPanelView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 260;

    explicit AboutPanelView(const std::optional<std::string>& version, QWidget* parent = nullptr);
};

} // namespace tavrilux::ui
