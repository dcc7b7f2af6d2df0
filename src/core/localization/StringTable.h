#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tavrilux {

// One language's texts by key. A key without an entry shows as the key itself.
class StringTable final {
public:
    using Entries = std::map<std::string, std::string, std::less<>>;

    StringTable() = default;
    explicit StringTable(Entries entries) : entries_(std::move(entries)) {}

    // The text of `key`, or the key itself when the table has no entry.
    std::string localizedString(std::string_view key) const {
        if (const auto* text = find(key)) {
            return *text;
        }
        return std::string(key);
    }

    const std::string* find(std::string_view key) const {
        const auto it = entries_.find(key);
        return it == entries_.end() ? nullptr : &it->second;
    }

    bool contains(std::string_view key) const { return find(key) != nullptr; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Entries& entries() const { return entries_; }

private:
    Entries entries_;
};

} // namespace tavrilux
