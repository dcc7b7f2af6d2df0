#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrilux {

// The hardware's own identifiers, by key: "IOPlatformUUID" and "IOPlatformSerialNumber".
//
// Contract: stringProperty() returns the identifier when the machine reports one, nothing when it
// does not or cannot be read. Thread-safe.
class PlatformIdentifiers {
public:
    static constexpr const char* kPlatformUUID = "IOPlatformUUID";
    static constexpr const char* kSerialNumber = "IOPlatformSerialNumber";

    PlatformIdentifiers() = default;
    virtual ~PlatformIdentifiers() = default;
    PlatformIdentifiers(const PlatformIdentifiers&) = delete;
    PlatformIdentifiers& operator=(const PlatformIdentifiers&) = delete;

    virtual std::optional<std::string> stringProperty(std::string_view key) const = 0;
};

} // namespace tavrilux
