#pragma once

#include <string>

namespace tavrilux {

// A stable identifier of this machine for crash reports. Thread-safe; never fails.
class DeviceIdentifierProviding {
public:
    DeviceIdentifierProviding() = default;
    virtual ~DeviceIdentifierProviding() = default;
    DeviceIdentifierProviding(const DeviceIdentifierProviding&) = delete;
    DeviceIdentifierProviding& operator=(const DeviceIdentifierProviding&) = delete;

    virtual std::string deviceID() const = 0;
};

} // namespace tavrilux
