#include "ui/settings/BackgroundLoginItem.h"

#include "core/services/LoginItem.h"

#include <QMetaObject>

#include <mutex>

namespace tavrilux::ui {

struct BackgroundLoginItem::Shared {
    std::mutex mutex;
    // Where answers are delivered; none once the owner is gone.
    QObject* receiver = nullptr;
    std::shared_ptr<LoginItem> item;
};

BackgroundLoginItem::BackgroundLoginItem(std::shared_ptr<LoginItem> item, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->receiver = this;
    shared_->item = std::move(item);
}

BackgroundLoginItem::~BackgroundLoginItem() {
    std::lock_guard lock(shared_->mutex);
    shared_->receiver = nullptr;
}

template <typename R>
void BackgroundLoginItem::run(std::function<R(LoginItem&)> call, QObject* context,
                              std::optional<LoginItemStatus> (*known)(const R&),
                              std::function<void(const R&)> answer) {
    auto job = [this, shared = shared_, call = std::move(call), known,
                context = QPointer<QObject>(context), answer = std::move(answer)] {
        R result = call(*shared->item);
        std::lock_guard lock(shared->mutex);
        if (shared->receiver == nullptr) {
            return;
        }
        // Posted to the receiver (this object, alive while the receiver is set); the context is
        // checked on the main thread only.
        QMetaObject::invokeMethod(
            shared->receiver,
            [this, known, context, answer, result = std::move(result)] {
                if (known != nullptr) {
                    lastKnown_ = known(result);
                }
                if (context) {
                    answer(result);
                }
            },
            Qt::QueuedConnection);
    };
    worker_.post(std::move(job));
}

void BackgroundLoginItem::status(QObject* context, std::function<void(LoginItemStatus)> done) {
    run<LoginItemStatus>([](LoginItem& item) { return item.status(); }, context,
                         [](const LoginItemStatus& s) { return std::optional<LoginItemStatus>(s); },
                         [done = std::move(done)](const LoginItemStatus& s) { done(s); });
}

void BackgroundLoginItem::setEnabled(bool enabled, QObject* context,
                                     std::function<void(const Result<LoginItemStatus>&)> done) {
    run<Result<LoginItemStatus>>(
        [enabled](LoginItem& item) { return item.setEnabled(enabled); }, context,
        [](const Result<LoginItemStatus>& r) {
            return r.ok() ? std::optional<LoginItemStatus>(r.value()) : std::nullopt;
        },
        std::move(done));
}

void BackgroundLoginItem::openSystemSettings() {
    run<bool>(
        [](LoginItem& item) {
            item.openSystemSettings();
            return true;
        },
        nullptr, nullptr, [](const bool&) {});
}

} // namespace tavrilux::ui
