#include "core/services/SoftwareVersion.h"

#include <algorithm>

namespace tavrilux {

std::optional<SoftwareVersion> SoftwareVersion::parse(std::string_view text) {
    SoftwareVersion version;
    std::size_t start = 0;
    for (;;) {
        auto end = text.find('.', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        auto digits = text.substr(start, end - start);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                           [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        const auto significant = digits.find_first_not_of('0');
        version.components_.emplace_back(significant == std::string_view::npos
                                             ? std::string_view()
                                             : digits.substr(significant));
        if (end == text.size()) {
            break;
        }
        start = end + 1;
    }
    return version;
}

std::strong_ordering SoftwareVersion::operator<=>(const SoftwareVersion& other) const {
    const auto count = std::max(components_.size(), other.components_.size());
    static const std::string zero;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& a = i < components_.size() ? components_[i] : zero;
        const std::string& b = i < other.components_.size() ? other.components_[i] : zero;
        if (a.size() != b.size()) {
            return a.size() <=> b.size();
        }
        if (auto order = a.compare(b); order != 0) {
            return order <=> 0;
        }
    }
    return std::strong_ordering::equal;
}

} // namespace tavrilux
