#pragma once

#include "core/services/MainThreadDispatcher.h"

#include <QObject>

namespace tavrilux::qt {

// Hands tasks from any thread to the Qt event loop of the thread that made the dispatcher.
// Tasks still queued when the dispatcher is destroyed are dropped.
class QtMainThreadDispatcher final : public MainThreadDispatcher {
public:
    QtMainThreadDispatcher() = default;
    ~QtMainThreadDispatcher() override = default;

    void dispatch(std::function<void()> task) override;

private:
    QObject context_;
};

} // namespace tavrilux::qt
