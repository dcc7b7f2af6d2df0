#include "app/OnboardingWindowManager.h"

#include "app/ApplicationActivation.h"
#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"
#include "ui/foundation/Appearance.h"
#include "ui/onboarding/OnboardingView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tavrilux {

OnboardingWindowManager::OnboardingWindowManager(const ui::UiContext& context,
                                                 std::function<void()> onShowQuickPanel)
    : context_(context), onShowQuickPanel_(std::move(onShowQuickPanel)) {}

OnboardingWindowManager::~OnboardingWindowManager() {
    delete window_.data();
}

void OnboardingWindowManager::show() {
    if (!window_) {
        window_ = new ui::OnboardingView(context_, [this](FocusMode mode) { complete(mode); });
        window_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window_->setWindowTitle(QString::fromStdString(L("onboarding_window_title")));
        window_->setFixedSize(kContentSize);
        ui::forceAppearance(window_, ui::Appearance::dark);
        window_->installEventFilter(this);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), kContentSize);
            frame.moveCenter(screen->availableGeometry().center());
            window_->move(frame.topLeft());
        }
    }
    ApplicationActivation::setPolicy(ActivationPolicy::regular);
    ApplicationActivation::present(*window_);
}

void OnboardingWindowManager::complete(FocusMode mode) {
    context_.settings.applyMode(mode);
    window_->hide();
    ApplicationActivation::setPolicy(ActivationPolicy::accessory);
    if (onShowQuickPanel_) {
        onShowQuickPanel_();
    }
}

bool OnboardingWindowManager::eventFilter(QObject* watched, QEvent* event) {
    // Closing only hides a window that is not deleted on close. The close goes ahead, so that
    // quitting the application, which closes every window first, is never refused here.
    if (watched == window_ && event->type() == QEvent::Close) {
        ApplicationActivation::setPolicy(ActivationPolicy::accessory);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tavrilux
