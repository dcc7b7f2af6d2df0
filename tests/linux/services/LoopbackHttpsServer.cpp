#include "LoopbackHttpsServer.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tavrilux::testing {

namespace {

// Reads one request; false when the client hangs up first or sends more than 4 MiB.
bool readRequest(SSL* ssl, ReceivedRequest& request) {
    std::string data;
    std::size_t headerEnd = std::string::npos;
    std::size_t contentLength = 0;
    while (headerEnd == std::string::npos || data.size() < headerEnd + 4 + contentLength) {
        char buffer[4096];
        const int got = SSL_read(ssl, buffer, sizeof buffer);
        if (got <= 0 || data.size() > 4 * 1024 * 1024) {
            return false;
        }
        data.append(buffer, static_cast<std::size_t>(got));
        if (headerEnd != std::string::npos ||
            (headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
            continue;
        }
        // Every line of the head, the last one included, ends in "\r\n".
        std::istringstream head(data.substr(0, headerEnd + 2));
        std::string line;
        std::getline(head, line);
        std::istringstream(line) >> request.method >> request.path;
        while (std::getline(head, line)) {
            const auto colon = line.find(':');
            if (colon != std::string::npos) {
                auto name = line.substr(0, colon);
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                const auto value = line.find_first_not_of(' ', colon + 1);
                request.headers[name] = line.substr(value, line.size() - 1 - value);
            }
        }
        const auto length = request.headers.find("content-length");
        contentLength = length == request.headers.end() ? 0 : std::stoul(length->second);
    }
    request.body = data.substr(headerEnd + 4, contentLength);
    return true;
}

} // namespace

LoopbackHttpsServer::LoopbackHttpsServer(const TestCertificates& certificates, Handler handler)
    : handler_(std::move(handler)) {
    context_ = SSL_CTX_new(TLS_server_method());
    if (!context_ || SSL_CTX_use_certificate(context_, certificates.serverCertificate()) != 1 ||
        SSL_CTX_use_PrivateKey(context_, certificates.serverKey()) != 1) {
        throw std::runtime_error("cannot set up TLS");
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);

    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackHttpsServer::~LoopbackHttpsServer() {
    stopping_ = true;
    stopped_.notify_all();
    acceptor_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(mutex_);
        connections.swap(connections_);
    }
    for (auto& connection : connections) {
        connection.join();
    }
    ::close(listener_);
    SSL_CTX_free(context_);
}

std::string LoopbackHttpsServer::url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<ReceivedRequest> LoopbackHttpsServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackHttpsServer::silentConnectionsHeld() const {
    std::lock_guard lock(mutex_);
    return silentHeld_;
}

std::vector<ReceivedRequest>
LoopbackHttpsServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
    return requests_;
}

int LoopbackHttpsServer::unusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd); // bound but never listening: connections are refused
    return ntohs(address.sin_port);
}

void LoopbackHttpsServer::acceptLoop() {
    const auto deadline = std::chrono::steady_clock::now() + kLifetime;
    while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] { serve(fd); });
    }
}

void LoopbackHttpsServer::serve(int fd) {
    // A client that hangs up (e.g. after refusing the certificate) must not kill the test with
    // SIGPIPE: writes on this thread fail with EPIPE instead.
    sigset_t pipe;
    ::sigemptyset(&pipe);
    ::sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, fd);
    ReceivedRequest request;
    if (SSL_accept(ssl) == 1 && readRequest(ssl, request)) {
        const CannedAnswer answer = handler_(request);
        std::unique_lock lock(mutex_);
        requests_.push_back(request);
        arrived_.notify_all();
        if (answer.neverAnswer) {
            ++silentHeld_;
            stopped_.wait_for(lock, kLifetime, [&] { return stopping_.load(); });
            --silentHeld_;
        } else {
            lock.unlock();
            const std::string response =
                "HTTP/1.1 " + std::to_string(answer.status) +
                " Canned\r\nContent-Type: application/json\r\nContent-Length: " +
                std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n" + answer.body;
            SSL_write(ssl, response.data(), static_cast<int>(response.size()));
            SSL_shutdown(ssl);
        }
    }
    SSL_free(ssl);
    ::close(fd);
}

} // namespace tavrilux::testing
