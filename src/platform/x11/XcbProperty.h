#pragma once

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrilux::x11 {

// A property of format 8 as text; empty when it is missing or of another format.
inline std::string propertyString(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8) {
        return {};
    }
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply);
    return std::string(data, static_cast<std::size_t>(std::max(length, 0)));
}

// CARDINAL/ATOM/WINDOW lists of format 32; empty when the property is missing or mistyped.
inline std::vector<std::uint32_t> propertyValues(const xcb_get_property_reply_t* reply,
                                                 xcb_atom_t type) {
    if (reply == nullptr || reply->format != 32 || reply->type != type) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
}

} // namespace tavrilux::x11
