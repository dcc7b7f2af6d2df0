#include "platform/x11/X11Monitors.h"

#include "platform/x11/NameBasedUuid.h"
#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>

#include <algorithm>

namespace tavrilux::x11 {

namespace {

bool inside(const X11Monitors::Monitor& inner, const X11Monitors::Monitor& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

} // namespace

X11Monitors::Support X11Monitors::watch(xcb_connection_t* connection, xcb_window_t root,
                                        std::uint16_t events) {
    Support support;
    const auto* randr = xcb_get_extension_data(connection, &xcb_randr_id);
    if (randr == nullptr || randr->present == 0) {
        return support;
    }
    Reply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        connection, xcb_randr_query_version(connection, 1, 5), nullptr));
    support.hasMonitors = version && (version->major_version > 1 ||
                                      (version->major_version == 1 && version->minor_version >= 5));
    support.eventBase = randr->first_event;
    xcb_randr_select_input(connection, root, events);
    return support;
}

X11Monitors::X11Monitors(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t edid,
                         bool hasMonitors)
    : connection_(connection), root_(root), edid_(edid), hasMonitors_(hasMonitors) {
    monitors_.push_back(Monitor{});
}

std::vector<X11Monitors::Monitor> X11Monitors::displaysOf(std::vector<Monitor> monitors) {
    std::stable_partition(monitors.begin(), monitors.end(),
                          [](const Monitor& m) { return m.primary; });
    std::vector<Monitor> displays;
    for (const auto& m : monitors) {
        if (m.width == 0 || m.height == 0 ||
            std::any_of(displays.begin(), displays.end(),
                        [&](const Monitor& d) { return inside(m, d); })) {
            continue;
        }
        // A larger mirror of earlier displays: one display, in the place of the first of them.
        auto held = std::find_if(displays.begin(), displays.end(),
                                 [&](const Monitor& d) { return inside(d, m); });
        if (held == displays.end()) {
            displays.push_back(m);
            continue;
        }
        *held = m;
        displays.erase(std::remove_if(held + 1, displays.end(),
                                      [&](const Monitor& d) { return inside(d, m); }),
                       displays.end());
    }
    return displays;
}

int X11Monitors::reload(std::uint16_t rootWidth, std::uint16_t rootHeight) {
    int roundTrips = 0;
    std::vector<Monitor> found;
    if (hasMonitors_) {
        Reply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
            connection_, xcb_randr_get_monitors(connection_, root_, 1), nullptr));
        ++roundTrips;
        if (reply) {
            struct Lookup {
                xcb_get_atom_name_cookie_t name;
                std::optional<xcb_randr_get_output_info_cookie_t> output;
                std::optional<xcb_randr_get_output_property_cookie_t> edid;
            };
            std::vector<Lookup> lookups;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const auto* info = it.data;
                Monitor m;
                m.name = info->name;
                m.primary = info->primary != 0;
                m.x = info->x;
                m.y = info->y;
                m.width = info->width;
                m.height = info->height;
                Lookup lookup{xcb_get_atom_name(connection_, info->name), {}, {}};
                if (xcb_randr_monitor_info_outputs_length(info) > 0) {
                    const auto output = xcb_randr_monitor_info_outputs(info)[0];
                    lookup.output =
                        xcb_randr_get_output_info(connection_, output, XCB_CURRENT_TIME);
                    lookup.edid = xcb_randr_get_output_property(connection_, output, edid_,
                                                                XCB_ATOM_ANY, 0, 256, 0, 0);
                }
                found.push_back(m);
                lookups.push_back(lookup);
            }
            if (!lookups.empty()) {
                ++roundTrips;
            }
            for (std::size_t i = 0; i < lookups.size(); ++i) {
                Monitor& m = found[i];
                Reply<xcb_get_atom_name_reply_t> name(
                    xcb_get_atom_name_reply(connection_, lookups[i].name, nullptr));
                if (name) {
                    m.localizedName.assign(
                        xcb_get_atom_name_name(name.get()),
                        static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())));
                }
                std::string outputName;
                if (lookups[i].output) {
                    Reply<xcb_randr_get_output_info_reply_t> output(
                        xcb_randr_get_output_info_reply(connection_, *lookups[i].output, nullptr));
                    if (output) {
                        outputName.assign(reinterpret_cast<const char*>(
                                              xcb_randr_get_output_info_name(output.get())),
                                          static_cast<std::size_t>(
                                              xcb_randr_get_output_info_name_length(output.get())));
                    }
                }
                std::string edid;
                if (lookups[i].edid) {
                    Reply<xcb_randr_get_output_property_reply_t> property(
                        xcb_randr_get_output_property_reply(connection_, *lookups[i].edid,
                                                            nullptr));
                    if (property && property->format == 8) {
                        edid.assign(reinterpret_cast<const char*>(
                                        xcb_randr_get_output_property_data(property.get())),
                                    static_cast<std::size_t>(
                                        xcb_randr_get_output_property_data_length(property.get())));
                    }
                }
                if (!edid.empty()) {
                    m.uuid = nameBasedUuid("edid:" + edid);
                } else if (!outputName.empty()) {
                    m.uuid = nameBasedUuid("output:" + outputName);
                }
            }
        }
    }
    monitors_ = displaysOf(std::move(found));
    if (monitors_.empty()) {
        // No RandR monitors: the whole root is one display without a number.
        Monitor whole;
        whole.width = rootWidth;
        whole.height = rootHeight;
        whole.localizedName = "screen";
        monitors_.push_back(whole);
    }
    return roundTrips;
}

std::vector<Screen> X11Monitors::screens() const {
    std::vector<Screen> result;
    result.reserve(monitors_.size());
    const Monitor& p = primary();
    for (const auto& m : monitors_) {
        Screen screen;
        if (m.name != XCB_ATOM_NONE) {
            screen.displayNumber = m.name;
        }
        // Flip around the primary display, whose origin becomes (0, 0).
        screen.frame = Rect{static_cast<double>(m.x - p.x),
                            static_cast<double>(p.height) - (m.y - p.y) - m.height,
                            static_cast<double>(m.width), static_cast<double>(m.height)};
        screen.localizedName = m.localizedName;
        result.push_back(std::move(screen));
    }
    return result;
}

std::optional<std::string> X11Monitors::displayUUID(xcb_atom_t name) const {
    for (const auto& m : monitors_) {
        if (m.name != XCB_ATOM_NONE && m.name == name) {
            return m.uuid;
        }
    }
    return std::nullopt;
}

} // namespace tavrilux::x11
