#pragma once

#include "core/services/LoginItemStatus.h"
#include "core/services/SerialWorker.h"
#include "core/services/ServiceFailure.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace tavrilux {
class LoginItem;
} // namespace tavrilux

namespace tavrilux::ui {

// The login item's calls, run one at a time and in order on a thread of their own, so that a
// login service that is slow or stuck never freezes a window. Each answer is handed back on the
// main thread, to a callback that is dropped when its `context` is gone by then. A call that
// never returns holds up the calls after it, never the program: destroying this object (and
// quitting) does not wait for it. Made and used on the main thread.
class BackgroundLoginItem final : public QObject {
    Q_OBJECT
public:
    explicit BackgroundLoginItem(std::shared_ptr<LoginItem> item, QObject* parent = nullptr);
    ~BackgroundLoginItem() override;

    void status(QObject* context, std::function<void(LoginItemStatus)> done);
    void setEnabled(bool enabled, QObject* context,
                    std::function<void(const Result<LoginItemStatus>&)> done);
    void openSystemSettings();

private:
    struct Shared;
    // Runs `call` on the worker, then `answer` with its result on the main thread.
    template <typename R>
    void run(std::function<R(LoginItem&)> call, QObject* context,
             std::function<void(const R&)> answer);

    std::shared_ptr<Shared> shared_;
    // Destroyed first: a stuck call is left running, and nobody waits for it.
    SerialWorker worker_{SerialWorker::OnStop::leaveRunningJob};
};

} // namespace tavrilux::ui
