#pragma once

#include "app/ShellScreens.h"
#include "core/settings/Enums.h"
#include "ui/foundation/UiContext.h"
#include "ui/onboarding/OnboardingView.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>

namespace tavrilux {

// Owns the first-launch onboarding window, titled in the user's language: 680 x 500, dark whatever
// the desktop's palette, without a title bar or window buttons, moved by its background. Built on
// the first show() and only ever hidden. When the flow completes, the chosen preset is applied
// and saved, the window hides, the application returns to the accessory policy and the quick
// panel opens at the tray icon. Closing the window (Alt+F4) only hides it. Main thread only.
class OnboardingWindowManager final : public QObject, public OnboardingWindowManaging {
    Q_OBJECT
public:
    static constexpr QSize kContentSize{680, 500};

    OnboardingWindowManager(const ui::UiContext& context, std::function<void()> onShowQuickPanel);
    ~OnboardingWindowManager() override;

    void show() override;

    // The window; none before the first show().
    ui::OnboardingView* window() const { return window_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void complete(FocusMode mode);

    ui::UiContext context_;
    std::function<void()> onShowQuickPanel_;
    QPointer<ui::OnboardingView> window_;
};

} // namespace tavrilux
