#pragma once

#include "core/services/ServiceFailure.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tavrilux {

struct HttpRequest final {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::milliseconds timeout{60'000};
    // Set from any thread to abandon the request, e.g. when its owner shuts down; may be null.
    std::shared_ptr<const std::atomic<bool>> cancelled;
};

struct HttpResponse final {
    int status = 0;
    std::string body;
};

// Sends one HTTPS request and waits for its answer.
//
// Contract:
// - send() blocks until the whole answer has arrived, the time-out has passed or the transfer
//   failed; any failure to obtain an answer (refused connection, unverifiable certificate,
//   time-out, a URL that is not https) is a ServiceFailure. Any HTTP status is an answer.
// - A request whose `cancelled` flag is set fails promptly (within about a second), whether it
//   is connecting, sending or waiting for the answer; one cancelled before send() is not sent.
// - Only https URLs are sent, and only to a server whose certificate verifies.
// - Thread-safe; meant to be called from worker threads, never the main thread.
class HttpTransport {
public:
    HttpTransport() = default;
    virtual ~HttpTransport() = default;
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    virtual Result<HttpResponse> send(const HttpRequest& request) = 0;
};

} // namespace tavrilux
