#pragma once

#include <optional>
#include <string>

namespace tavrilux {

// An error record in a web-service answer.
struct ServiceAPIError final {
    std::string code;
    std::string message;
    std::optional<std::string> field;

    friend bool operator==(const ServiceAPIError&, const ServiceAPIError&) = default;
};

} // namespace tavrilux
