#include "platform/qt/QtMainThreadDispatcher.h"

#include <QMetaObject>

namespace tavrilux::qt {

void QtMainThreadDispatcher::dispatch(std::function<void()> task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

} // namespace tavrilux::qt
