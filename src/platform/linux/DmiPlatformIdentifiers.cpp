#include "platform/linux/DmiPlatformIdentifiers.h"

#include "platform/linux/LinuxFileSystem.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tavrilux::linux_platform {

DmiPlatformIdentifiers::DmiPlatformIdentifiers(std::filesystem::path folder)
    : folder_(std::move(folder)) {}

bool DmiPlatformIdentifiers::isPlaceholder(const std::string& value) {
    std::string lower;
    for (char c : value) {
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    static constexpr std::array<const char*, 9> kPlaceholders = {
        "not specified",        "not available", "none", "default string", "to be filled by o.e.m.",
        "system serial number", "0123456789",    "n/a",  "not applicable"};
    if (std::find(kPlaceholders.begin(), kPlaceholders.end(), lower) != kPlaceholders.end()) {
        return true;
    }
    // "0", all-zero and all-F UUIDs
    const bool onlyZeros = std::all_of(lower.begin(), lower.end(),
                                       [](char c) { return c == '0' || c == '-' || c == ' '; });
    const bool onlyFs =
        std::all_of(lower.begin(), lower.end(), [](char c) { return c == 'f' || c == '-'; });
    return onlyZeros || onlyFs;
}

std::optional<std::string> DmiPlatformIdentifiers::stringProperty(std::string_view key) const {
    const char* file = nullptr;
    if (key == kPlatformUUID) {
        file = "product_uuid";
    } else if (key == kSerialNumber) {
        file = "product_serial";
    } else {
        return std::nullopt;
    }
    LinuxFileSystem files;
    auto text = files.readFile(folder_ / file, 4096);
    if (!text) {
        return std::nullopt;
    }
    const auto first = text->find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const auto last = text->find_last_not_of(" \t\r\n");
    std::string value = text->substr(first, last - first + 1);
    if (isPlaceholder(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace tavrilux::linux_platform
