#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavrilux {

// The stored form of a defaults domain: one JSON object with a member per key.
//
// Members are read one by one: a value this reader cannot hold (a number beyond a double's range,
// a string that is not Unicode text) costs only its own key, whose member is kept as written. A
// text that is no such object (a syntax error, another JSON value, nesting deeper than kMaxDepth
// levels) is not a domain at all. Reading never recurses.
//
// Writing puts one member a line and each value compact, so the text grows with the values it
// holds, never with their depth.
class DomainText final {
public:
    static constexpr std::size_t kMaxDepth = 64;

    // A member kept exactly as it was written.
    struct KeptMember {
        std::optional<std::string> key; // none when the name itself is not Unicode text
        std::string keyText;
        std::string valueText;
    };
    struct Content {
        // Values nest at most kMaxDepth - 1 levels, so writing them recurses that far at most.
        nlohmann::json values = nlohmann::json::object();
        std::vector<KeptMember> kept;
    };

    // The content, or why the text is not a domain: a phrase that follows the domain's location
    // ("has a syntax error at byte 12").
    static std::variant<Content, std::string> read(std::string_view text);
    static std::string write(const Content& content);
};

} // namespace tavrilux
