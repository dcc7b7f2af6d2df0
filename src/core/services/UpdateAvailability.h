#pragma once

#include <string>

namespace tavrilux {

// The outcome of the last finished update check: an update with its display version, no
// update, or not yet known (the start state).
class UpdateAvailability final {
public:
    enum class Kind { available, unknown, noUpdate };

    UpdateAvailability() = default;
    static UpdateAvailability available(std::string displayVersion) {
        return UpdateAvailability(Kind::available, std::move(displayVersion));
    }
    static UpdateAvailability unknown() { return UpdateAvailability(Kind::unknown, {}); }
    static UpdateAvailability noUpdate() { return UpdateAvailability(Kind::noUpdate, {}); }

    Kind kind() const { return kind_; }
    bool isAvailable() const { return kind_ == Kind::available; }
    // The display version of an available update; empty otherwise.
    const std::string& version() const { return version_; }

    friend bool operator==(const UpdateAvailability&, const UpdateAvailability&) = default;

private:
    UpdateAvailability(Kind kind, std::string version)
        : kind_(kind), version_(std::move(version)) {}

    Kind kind_ = Kind::unknown;
    std::string version_;
};

} // namespace tavrilux
