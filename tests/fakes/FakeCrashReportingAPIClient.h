#pragma once

#include "core/services/CrashReportingAPIClientProtocol.h"

#include <functional>
#include <mutex>
#include <set>
#include <vector>

namespace tavrilux::fakes {

// Records the crashes it is asked to send and completes each at once, failing the ones whose
// position the test lists. With holdCompletions set, each upload stays in flight until the test
// calls completeNext().
class FakeCrashReportingAPIClient final : public CrashReportingAPIClientProtocol {
public:
    void submitCrash(CrashSubmission crash, Completion completion) override {
        std::optional<CrashSubmitError> outcome;
        {
            std::lock_guard lock(mutex_);
            if (failingIndexes_.count(submitted_.size()) > 0) {
                outcome = CrashSubmitError{CrashSubmitError::Kind::transport, "refused", {}};
            }
            submitted_.push_back(std::move(crash));
            if (holdCompletions) {
                held_.push_back([completion, outcome] {
                    if (completion) {
                        completion(outcome);
                    }
                });
                return;
            }
        }
        if (completion) {
            completion(outcome);
        }
    }

    // Ends the oldest upload still in flight; false when none is.
    bool completeNext() {
        std::function<void()> next;
        {
            std::lock_guard lock(mutex_);
            if (held_.empty()) {
                return false;
            }
            next = std::move(held_.front());
            held_.erase(held_.begin());
        }
        next();
        return true;
    }

    bool holdCompletions = false;

    void failSubmission(std::size_t index) {
        std::lock_guard lock(mutex_);
        failingIndexes_.insert(index);
    }
    std::vector<CrashSubmission> submitted() const {
        std::lock_guard lock(mutex_);
        return submitted_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<CrashSubmission> submitted_;
    std::set<std::size_t> failingIndexes_;
    std::vector<std::function<void()>> held_;
};

} // namespace tavrilux::fakes
