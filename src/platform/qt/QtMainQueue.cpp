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
    schedule(now() + std::max(delay, Seconds{0.0}), handle,
             std::make_shared<std::function<void()>>(std::move(task)));
    return handle;
}

void QtMainQueue::schedule(Seconds due, const TaskHandle& handle,
                           std::shared_ptr<std::function<void()>> task) {
    const double ms = std::ceil((due - now()).count() * 1000.0);
    QTimer::singleShot(static_cast<int>(std::max(0.0, ms)), Qt::PreciseTimer, &context_,
                       [this, due, handle, task = std::move(task)] {
                           if (handle.isCancelled()) {
                               return;
                           }
                           // Timers may fire a little early; a task never runs before its time.
                           if (now() < due) {
                               schedule(due, handle, task);
                               return;
                           }
                           (*task)();
                       });
}

Seconds QtMainQueue::now() const {
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now() - start_);
}

} // namespace tavrilux::qt
