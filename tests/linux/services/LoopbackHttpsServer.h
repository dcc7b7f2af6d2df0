#pragma once

#include "TestCertificates.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;

namespace tavrilux::testing {

struct ReceivedRequest {
    std::string method;
    std::string path;
    // Header names in lower case.
    std::map<std::string, std::string> headers;
    std::string body;
};

struct CannedAnswer {
    int status = 200;
    std::string body;
    // Read the request, then keep the connection open without a word until the server stops.
    bool neverAnswer = false;
};

// An HTTPS server on 127.0.0.1 (a free port) for tests. Each connection carries one request and
// gets the handler's answer. The server stops when destroyed, and in any case after a minute.
class LoopbackHttpsServer final {
public:
    // How long the server runs, and so holds a silent connection, at most.
    static constexpr std::chrono::seconds kLifetime{60};
    using Handler = std::function<CannedAnswer(const ReceivedRequest&)>;

    LoopbackHttpsServer(const TestCertificates& certificates, Handler handler);
    ~LoopbackHttpsServer();
    LoopbackHttpsServer(const LoopbackHttpsServer&) = delete;
    LoopbackHttpsServer& operator=(const LoopbackHttpsServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    std::vector<ReceivedRequest> requests() const;
    // Waits until `count` requests have arrived, or the limit passes; returns what arrived.
    std::vector<ReceivedRequest> waitForRequests(std::size_t count,
                                                 std::chrono::milliseconds limit) const;
    // Connections that got a request and are still being kept waiting for an answer.
    int silentConnectionsHeld() const;

    // A port on 127.0.0.1 where nothing listens.
    static int unusedPort();

private:
    void acceptLoop();
    void serve(int fd);

    Handler handler_;
    SSL_CTX* context_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    mutable std::condition_variable arrived_;
    std::vector<ReceivedRequest> requests_;
    int silentHeld_ = 0;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

} // namespace tavrilux::testing
