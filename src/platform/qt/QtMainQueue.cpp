#include "platform/qt/QtMainQueue.h"

#include <QTimer>

#include <cmath>

namespace tavrilux::qt {

QtMainQueue::QtMainQueue() : start_(std::chrono::steady_clock::now()) {}

QtMainQueue::~QtMainQueue() = default;

TaskHandle QtMainQueue::post(std::function<void()> task) {
    return postAfter(Seconds{0.0}, std::move(task));
}

TaskHandle QtMainQueue::postAfter(Seconds delay, std::function<void()> task) {
    auto handle = TaskHandle::make();
    const double ms = std::max(0.0, std::ceil(delay.count() * 1000.0));
    QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &context_,
                       [handle, task = std::move(task)] {
                           if (!handle.isCancelled()) {
                               task();
                           }
                       });
    return handle;
}

Seconds QtMainQueue::now() const {
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now() - start_);
}

} // namespace tavrilux::qt
