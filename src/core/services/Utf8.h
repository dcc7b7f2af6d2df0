#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrilux::utf8 {

// The code points of well-formed UTF-8 (no overlong forms, no surrogates), or nothing.
std::optional<std::u32string> decode(std::string_view text);
// Appends the UTF-8 form of a valid code point; false for surrogates and values above U+10FFFF.
bool append(std::string& out, char32_t codePoint);

} // namespace tavrilux::utf8
