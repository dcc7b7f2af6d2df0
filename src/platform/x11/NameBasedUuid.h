#pragma once

#include <string>
#include <string_view>

namespace tavrilux::x11 {

// A name-based (version 5, SHA-1) UUID of `name` in the display namespace, upper-case
// 8-4-4-4-12 hexadecimal: the same name always gives the same UUID.
std::string nameBasedUuid(std::string_view name);

// SHA-1 of `data` as 40 lower-case hexadecimal digits (exposed for its test).
std::string sha1Hex(std::string_view data);

} // namespace tavrilux::x11
