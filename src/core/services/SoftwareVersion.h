#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrilux {

// A version made of numeric components separated by dots ("1.10.2"). Versions compare component
// by component as numbers, a missing component counting as zero, so "1.10" > "1.9" and
// "1.2" == "1.2.0". Components may be arbitrarily long; leading zeros do not count.
class SoftwareVersion final {
public:
    // Nothing unless `text` is one or more runs of digits joined by single dots.
    static std::optional<SoftwareVersion> parse(std::string_view text);

    std::strong_ordering operator<=>(const SoftwareVersion& other) const;
    bool operator==(const SoftwareVersion& other) const {
        return (*this <=> other) == std::strong_ordering::equal;
    }

private:
    // Each component's digits without leading zeros ("" for zero).
    std::vector<std::string> components_;
};

} // namespace tavrilux
