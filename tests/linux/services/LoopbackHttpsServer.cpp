#include "LoopbackHttpsServer.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tavrilux::testing {

namespace {

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

const char* reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
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
    if (SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        ::close(fd);
        return;
    }
    std::string data;
    char buffer[4096];
    std::size_t headerEnd = std::string::npos;
    std::size_t contentLength = 0;
    ReceivedRequest request;
    for (;;) {
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::size_t lineEnd = data.find("\r\n");
                const std::string first = data.substr(0, lineEnd);
                const auto space1 = first.find(' ');
                const auto space2 = first.find(' ', space1 + 1);
                request.method = first.substr(0, space1);
                request.path = first.substr(space1 + 1, space2 - space1 - 1);
                std::size_t pos = lineEnd + 2;
                while (pos < headerEnd) {
                    const auto end = data.find("\r\n", pos);
                    const std::string line = data.substr(pos, end - pos);
                    const auto colon = line.find(':');
                    if (colon != std::string::npos) {
                        auto value = line.substr(colon + 1);
                        value.erase(0, value.find_first_not_of(' '));
                        request.headers[lower(line.substr(0, colon))] = value;
                    }
                    pos = end + 2;
                }
                if (auto it = request.headers.find("content-length"); it != request.headers.end()) {
                    contentLength = std::stoul(it->second);
                }
            }
        }
        if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength) {
            request.body = data.substr(headerEnd + 4, contentLength);
            break;
        }
        const int got = SSL_read(ssl, buffer, sizeof buffer);
        if (got <= 0 || data.size() > 4 * 1024 * 1024) {
            SSL_free(ssl);
            ::close(fd);
            return;
        }
        data.append(buffer, static_cast<std::size_t>(got));
    }
    const CannedAnswer answer = handler_(request);
    {
        std::unique_lock lock(mutex_);
        requests_.push_back(request);
        arrived_.notify_all();
        if (answer.neverAnswer) {
            ++silentHeld_;
            stopped_.wait_for(lock, kLifetime, [&] { return stopping_.load(); });
            --silentHeld_;
        }
    }
    if (!answer.neverAnswer) {
        const std::string response =
            "HTTP/1.1 " + std::to_string(answer.status) + " " + reason(answer.status) +
            "\r\nContent-Type: application/json\r\nContent-Length: " +
            std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n" + answer.body;
        SSL_write(ssl, response.data(), static_cast<int>(response.size()));
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    ::close(fd);
}

} // namespace tavrilux::testing
