#pragma once

#include "core/services/CrashReportingAPIClientProtocol.h"

#include <mutex>
#include <set>
#include <vector>

namespace tavrilux::fakes {

// Records the crashes it is asked to send and completes each at once, failing the ones whose
// position the test lists.
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
        }
        if (completion) {
            completion(outcome);
        }
    }

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
};

} // namespace tavrilux::fakes
