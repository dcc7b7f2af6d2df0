#pragma once

#include "core/services/PlatformIdentifiers.h"

#include <atomic>
#include <map>

namespace tavrilux::fakes {

class FakePlatformIdentifiers final : public PlatformIdentifiers {
public:
    std::optional<std::string> stringProperty(std::string_view key) const override {
        ++reads;
        auto it = values.find(std::string(key));
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    std::map<std::string, std::string> values;
    mutable std::atomic<int> reads{0};
};

} // namespace tavrilux::fakes
