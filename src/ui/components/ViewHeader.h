#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <string>

namespace tavrilux::ui {

class TextLabel;

// A screen's header: an icon (a symbol on an accent tile, or the brand mark when no symbol is
// given), a bold title over a secondary subtitle, and a trailing view that keeps its natural
// width while the title gives way (it is elided on one line).
//
//     new ViewHeader(L("app_name"), L("focus_dimmer"), std::nullopt, new StatusBadge(on));
class ViewHeader final : public QWidget {
    Q_OBJECT
public:
    // The header takes ownership of `trailing` (which may be null).
    ViewHeader(const QString& title, const QString& subtitle,
               const std::optional<std::string>& systemImage, QWidget* trailing,
               QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSubtitle(const QString& subtitle);
    // The brand mark or the symbol tile.
    QWidget* icon() const { return icon_; }
    TextLabel* titleLabel() const { return title_; }
    QWidget* trailing() const { return trailing_; }

private:
    QWidget* icon_;
    TextLabel* title_;
    TextLabel* subtitle_;
    QWidget* trailing_;
};

} // namespace tavrilux::ui
