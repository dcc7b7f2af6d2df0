#pragma once

#include "core/services/HttpTransport.h"

#include <deque>
#include <mutex>
#include <vector>

namespace tavrilux::fakes {

// Answers requests from a script, in order; with the script empty it fails as an unreachable
// server would. Records every request. Thread-safe.
class FakeHttpTransport final : public HttpTransport {
public:
    Result<HttpResponse> send(const HttpRequest& request) override {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (script_.empty()) {
            return ServiceFailure{"connection refused"};
        }
        auto next = std::move(script_.front());
        script_.pop_front();
        return next;
    }

    void answer(int status, std::string body) {
        std::lock_guard lock(mutex_);
        script_.push_back(HttpResponse{status, std::move(body)});
    }
    void fail(std::string why) {
        std::lock_guard lock(mutex_);
        script_.push_back(ServiceFailure{std::move(why)});
    }
    std::vector<HttpRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<Result<HttpResponse>> script_;
    std::vector<HttpRequest> requests_;
};

} // namespace tavrilux::fakes
