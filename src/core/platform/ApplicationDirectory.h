#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrilux {

// An installed application as people know it.
struct InstalledApplication final {
    std::string name;
    // Path of an icon image; empty when none is known. It may still fail to decode.
    std::string iconPath;

    friend bool operator==(const InstalledApplication&, const InstalledApplication&) = default;
};

// The installed applications, looked up by application key (what application exclusions store),
// whether they run or not.
//
// Contract:
// - application() answers none for a key no installed application has.
// - Answers reflect what is installed at the time of the call.
// - Main thread only.
class ApplicationDirectory {
public:
    ApplicationDirectory() = default;
    virtual ~ApplicationDirectory() = default;
    ApplicationDirectory(const ApplicationDirectory&) = delete;
    ApplicationDirectory& operator=(const ApplicationDirectory&) = delete;

    virtual std::optional<InstalledApplication> application(std::string_view key) const = 0;
};

} // namespace tavrilux
