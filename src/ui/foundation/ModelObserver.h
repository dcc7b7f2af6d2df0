#pragma once

#include "core/reactive/Published.h"
#include "core/reactive/Subject.h"
#include "core/reactive/Subscription.h"

#include <QObject>

#include <functional>

namespace tavrilux {
class DimmingSettings;
class LocalizationManager;
} // namespace tavrilux

namespace tavrilux::ui {

// Turns the model's notifications into one queued refresh. The model notifies before a value is
// stored, so a screen must not read it from inside a notification; instead every notification
// schedules `refresh` on the event loop, and any number of notifications before it runs yield a
// single call, which then sees every stored value. The refresh pushes values into the child
// widgets under QSignalBlocker, so nothing is written back. Main thread only.
//
//     ModelObserver observer{[this] { refresh(); }, this};
//     observer.watch(context.settings);
//     observer.watch(context.updater.updateAvailability);
class ModelObserver final : public QObject {
    Q_OBJECT
public:
    explicit ModelObserver(std::function<void()> refresh, QObject* parent = nullptr);

    // Every published property of the settings object (through its objectWillChange).
    void watch(DimmingSettings& settings);
    // The language override (texts look different after it).
    void watch(LocalizationManager& localization);
    template <typename T> void watch(Published<T>& value) {
        subscriptions_.insert(value.observe([this](const T&) { schedule(); }));
    }
    template <typename T> void watch(Subject<T>& subject) {
        subscriptions_.insert(subject.subscribe([this](const T&) { schedule(); }));
    }

    bool isPending() const { return pending_; }
    // Runs the refresh now and drops the one scheduled, if any.
    void refreshNow();

private:
    void schedule();
    void deliver();

    std::function<void()> refresh_;
    SubscriptionSet subscriptions_;
    bool pending_ = false;
};

} // namespace tavrilux::ui
