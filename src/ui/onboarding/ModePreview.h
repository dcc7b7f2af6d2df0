#pragma once

#include "core/settings/Enums.h"
#include "ui/foundation/Painting.h"
#include "ui/onboarding/TextBlock.h"

#include <QWidget>

#include <array>

namespace tavrilux::ui {

class MockWindow;

// The preset page's preview card: a "PREVIEW" caption over one bright miniature window in front
// of two dimmed ones. The picture is the same for every preset.
class ModePreview final : public QWidget {
    Q_OBJECT
public:
    explicit ModePreview(FocusMode selectedMode, QWidget* parent = nullptr);

    FocusMode selectedMode() const { return selectedMode_; }
    void setSelectedMode(FocusMode mode) { selectedMode_ = mode; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    FocusMode selectedMode_;
    std::array<MockWindow*, 3> windows_{};
    TextBlock caption_;
    CachedPath shape_;
};

} // namespace tavrilux::ui
