#include "app/SettingsWindowManager.h"

#include "app/ApplicationActivation.h"
#include "app/SettingsWindow.h"
#include "core/localization/LocalizationManager.h"
#include "core/navigation/SettingsNavigation.h"
#include "ui/settings/ContentView.h"

#include <QGuiApplication>
#include <QScreen>

namespace tavrilux {

SettingsWindowManager::SettingsWindowManager(const ui::UiContext& context,
                                             const ui::SettingsServices& services)
    : context_(context), services_(services) {}

SettingsWindowManager::~SettingsWindowManager() = default;

void SettingsWindowManager::showSettingsWindow(std::optional<SettingsTab> tab) {
    if (tab) {
        context_.navigation.selectedTab.set(*tab);
    }
    if (!window_) {
        content_ = new ui::ContentView(context_, services_);
        window_ = std::make_unique<SettingsWindow>(
            content_, [] { ApplicationActivation::setPolicy(ActivationPolicy::accessory); });
        window_->setWindowTitle(QString::fromStdString(L(localizationKey("window_title"))));
        window_->resize(kWidth, kHeight);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), window_->size());
            frame.moveCenter(screen->availableGeometry().center());
            window_->move(frame.topLeft());
        }
    }
    // A tab chosen just now shows from the first frame.
    content_->catchUp();
    ApplicationActivation::setPolicy(ActivationPolicy::regular);
    ApplicationActivation::present(*window_);
}

} // namespace tavrilux
