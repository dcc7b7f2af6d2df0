#include "ui/settings/BackgroundLoginItem.h"

#include "core/services/LoginItem.h"

#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tavrilux::ui {

struct BackgroundLoginItem::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    // Where answers are delivered; none once the owner is gone.
    QObject* receiver = nullptr;
    std::shared_ptr<LoginItem> item;
};

BackgroundLoginItem::BackgroundLoginItem(std::shared_ptr<LoginItem> item, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->receiver = this;
    shared_->item = std::move(item);
    // Detached: the thread keeps what it uses alive, and nobody waits for a stuck call.
    std::thread([shared = shared_] {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->wake.wait(lock, [&] { return shared->stopping || !shared->jobs.empty(); });
            if (shared->stopping) {
                return;
            }
            auto job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
    }).detach();
}

BackgroundLoginItem::~BackgroundLoginItem() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        shared_->receiver = nullptr;
        shared_->jobs.clear();
    }
    shared_->wake.notify_all();
}

template <typename R>
void BackgroundLoginItem::run(std::function<R(LoginItem&)> call, QObject* context,
                              std::function<void(const R&)> answer) {
    auto job = [shared = shared_, call = std::move(call), context = QPointer<QObject>(context),
                answer = std::move(answer)] {
        R result = call(*shared->item);
        std::lock_guard lock(shared->mutex);
        if (shared->receiver == nullptr) {
            return;
        }
        // Posted to the long-lived receiver; the context is checked on the main thread only.
        QMetaObject::invokeMethod(
            shared->receiver,
            [context, answer, result = std::move(result)] {
                if (context) {
                    answer(result);
                }
            },
            Qt::QueuedConnection);
    };
    {
        std::lock_guard lock(shared_->mutex);
        shared_->jobs.push_back(std::move(job));
    }
    shared_->wake.notify_one();
}

void BackgroundLoginItem::status(QObject* context, std::function<void(LoginItemStatus)> done) {
    run<LoginItemStatus>([](LoginItem& item) { return item.status(); }, context,
                         [done = std::move(done)](const LoginItemStatus& s) { done(s); });
}

void BackgroundLoginItem::setEnabled(bool enabled, QObject* context,
                                     std::function<void(const Result<LoginItemStatus>&)> done) {
    run<Result<LoginItemStatus>>([enabled](LoginItem& item) { return item.setEnabled(enabled); },
                                 context, std::move(done));
}

void BackgroundLoginItem::openSystemSettings() {
    run<bool>(
        [](LoginItem& item) {
            item.openSystemSettings();
            return true;
        },
        nullptr, [](const bool&) {});
}

} // namespace tavrilux::ui
