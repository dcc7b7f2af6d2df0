#pragma once

#include "core/services/PlatformIdentifiers.h"

#include <filesystem>

namespace tavrilux::linux_platform {

// The firmware's identifiers from /sys/class/dmi/id: product_uuid for the platform UUID and
// product_serial for the serial number. Both are usually readable by root only; a field that
// cannot be read, or holds one of the placeholders firmware ships with ("Not Specified", an
// all-zero UUID, ...), counts as missing so that unrelated machines do not share an identifier.
class DmiPlatformIdentifiers final : public PlatformIdentifiers {
public:
    explicit DmiPlatformIdentifiers(std::filesystem::path folder = "/sys/class/dmi/id");

    std::optional<std::string> stringProperty(std::string_view key) const override;

    static bool isPlaceholder(const std::string& value);

private:
    std::filesystem::path folder_;
};

} // namespace tavrilux::linux_platform
