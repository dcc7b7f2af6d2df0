#pragma once

#include "ui/components/TextLabel.h"

namespace tavrilux::ui {

// The caption above a settings group: 11-point semibold secondary text, shown in capitals by
// the rules of the widget's locale (title() keeps the text as given), inset 2 points.
class SectionLabel final : public TextLabel {
    Q_OBJECT
public:
    explicit SectionLabel(const QString& title, QWidget* parent = nullptr);

    const QString& title() const { return text(); }
    void setTitle(const QString& title) { setText(title); }
};

} // namespace tavrilux::ui
