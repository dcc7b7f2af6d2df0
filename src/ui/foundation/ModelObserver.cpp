#include "ui/foundation/ModelObserver.h"

#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"

#include <QMetaObject>

namespace tavrilux::ui {

ModelObserver::ModelObserver(std::function<void()> refresh, QObject* parent)
    : QObject(parent), refresh_(std::move(refresh)) {}

void ModelObserver::watch(DimmingSettings& settings) {
    watch(settings.objectWillChange);
}

void ModelObserver::watch(LocalizationManager& localization) {
    subscriptions_.insert(
        localization.observeLanguageOverride([this](const auto&) { schedule(); }));
}

void ModelObserver::schedule() {
    if (pending_) {
        return;
    }
    pending_ = true;
    QMetaObject::invokeMethod(this, &ModelObserver::deliver, Qt::QueuedConnection);
}

void ModelObserver::deliver() {
    if (!pending_) {
        return; // refreshed meanwhile
    }
    pending_ = false;
    refresh_();
}

void ModelObserver::refreshNow() {
    pending_ = false;
    refresh_();
}

} // namespace tavrilux::ui
