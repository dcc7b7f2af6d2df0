#pragma once

#include "core/services/LoginItemStatus.h"
#include "core/services/SerialWorker.h"
#include "core/services/ServiceFailure.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

namespace tavrilux {
class LoginItem;
} // namespace tavrilux

namespace tavrilux::ui {

// The login item's calls, run one at a time and in order on a thread of their own, so that a
// login service that is slow or stuck never freezes a window. Each answer is handed back on the
// main thread, to a callback that is dropped when its `context` is gone by then. A call that
// never returns holds up the calls after it, never the program: destroying this object (and
// quitting) does not wait for it. Made and used on the main thread.
//
// It remembers the last status any answer reported, so a screen has something true to show
// while its own question is still out.
class BackgroundLoginItem final : public QObject {
    Q_OBJECT
public:
    explicit BackgroundLoginItem(std::shared_ptr<LoginItem> item, QObject* parent = nullptr);
    ~BackgroundLoginItem() override;

    void status(QObject* context, std::function<void(LoginItemStatus)> done);
    void setEnabled(bool enabled, QObject* context,
                    std::function<void(const Result<LoginItemStatus>&)> done);
    void openSystemSettings();
    // The status the last answer reported; none before the first answer or after a failure.
    std::optional<LoginItemStatus> lastKnownStatus() const { return lastKnown_; }

private:
    struct Shared;
    // Runs `call` on the worker, then on the main thread notes the status it reports (`known`)
    // and hands the result to `answer`.
    template <typename R>
    void run(std::function<R(LoginItem&)> call, QObject* context,
             std::optional<LoginItemStatus> (*known)(const R&),
             std::function<void(const R&)> answer);

    std::shared_ptr<Shared> shared_;
    std::optional<LoginItemStatus> lastKnown_;
    // Destroyed first: a stuck call is left running, and nobody waits for it.
    SerialWorker worker_{SerialWorker::OnStop::leaveRunningJob};
};

} // namespace tavrilux::ui
