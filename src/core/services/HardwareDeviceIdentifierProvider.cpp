#include "core/services/HardwareDeviceIdentifierProvider.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>

namespace tavrilux {

HardwareDeviceIdentifierProvider::HardwareDeviceIdentifierProvider(
    std::shared_ptr<UserDefaults> defaults, std::shared_ptr<const PlatformIdentifiers> platform,
    std::function<std::string()> makeIdentifier)
    : defaults_(std::move(defaults)), platform_(std::move(platform)),
      makeIdentifier_(std::move(makeIdentifier)) {}

std::string HardwareDeviceIdentifierProvider::deviceID() const {
    if (platform_) {
        if (auto uuid = platform_->stringProperty(PlatformIdentifiers::kPlatformUUID)) {
            return *uuid;
        }
        if (auto serial = platform_->stringProperty(PlatformIdentifiers::kSerialNumber)) {
            return *serial;
        }
    }
    // Two deliveries at once must not store two different identifiers.
    std::lock_guard lock(mutex_);
    if (auto stored = defaults_->stringValue(kFallbackKey)) {
        return *stored;
    }
    std::string identifier = makeIdentifier_();
    defaults_->setString(kFallbackKey, identifier);
    return identifier;
}

std::string HardwareDeviceIdentifierProvider::randomUUID() {
    std::random_device source;
    std::array<std::uint8_t, 16> bytes{};
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(source() & 0xFF);
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

} // namespace tavrilux
