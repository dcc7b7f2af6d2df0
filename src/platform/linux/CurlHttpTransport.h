#pragma once

#include "core/services/HttpTransport.h"

#include <filesystem>
#include <optional>

namespace tavrilux::linux_platform {

// HTTPS through libcurl. Only https is spoken, also on redirects; the server's certificate and
// host name are always verified, against the system's trust store unless a certificate
// authority file is given (tests give their own).
class CurlHttpTransport final : public HttpTransport {
public:
    static constexpr std::size_t kMaxAnswerBytes = 4 * 1024 * 1024;

    explicit CurlHttpTransport(
        std::optional<std::filesystem::path> certificateAuthorityFile = std::nullopt);

    Result<HttpResponse> send(const HttpRequest& request) override;

private:
    std::optional<std::filesystem::path> caFile_;
};

} // namespace tavrilux::linux_platform
