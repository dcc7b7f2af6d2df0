#pragma once

#include "core/defaults/UserDefaults.h"
#include "core/services/DeviceIdentifierProviding.h"
#include "core/services/PlatformIdentifiers.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tavrilux {

// The machine's platform UUID, else its serial number, else an identifier generated once and kept
// in the defaults under "device.fallbackIdentifier".
class HardwareDeviceIdentifierProvider final : public DeviceIdentifierProviding {
public:
    static constexpr const char* kFallbackKey = "device.fallbackIdentifier";

    HardwareDeviceIdentifierProvider(std::shared_ptr<UserDefaults> defaults,
                                     std::shared_ptr<const PlatformIdentifiers> platform,
                                     std::function<std::string()> makeIdentifier = randomUUID);

    std::string deviceID() const override;

    // A random (version 4) UUID in upper-case 8-4-4-4-12 form.
    static std::string randomUUID();

private:
    std::shared_ptr<UserDefaults> defaults_;
    std::shared_ptr<const PlatformIdentifiers> platform_;
    std::function<std::string()> makeIdentifier_;
    mutable std::mutex mutex_;
};

} // namespace tavrilux
