#include "platform/x11/X11OverlaySurfaces.h"

#include "platform/x11/XcbReply.h"

#include <xcb/shape.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace tavrilux::x11 {

X11OverlaySurfaces::X11OverlaySurfaces(const Setup& setup, const X11OverlayAtoms& atoms)
    : setup_(setup), atoms_(atoms),
      monitors_(setup.connection, setup.root, atoms.edid, setup.hasMonitors) {
    reloadDisplays();
}

X11OverlaySurfaces::~X11OverlaySurfaces() {
    for (auto& surface : kept_) {
        destroy(*surface);
    }
}

std::unique_ptr<X11OverlaySurface> X11OverlaySurfaces::take(const Rect& frame) {
    refreshDisplays();
    // Global frames have their origin at the primary display's bottom-left corner.
    const auto toRoot = [&] {
        const X11Monitors::Monitor& primary = monitors_.primary();
        const int width = std::max(1, static_cast<int>(std::lround(frame.width)));
        const int height = std::max(1, static_cast<int>(std::lround(frame.height)));
        X11OverlaySurface s;
        s.x = static_cast<std::int16_t>(static_cast<int>(std::lround(frame.x)) + primary.x);
        s.y = static_cast<std::int16_t>(primary.y + primary.height -
                                        static_cast<int>(std::lround(frame.y)) - height);
        s.width = static_cast<std::uint16_t>(width);
        s.height = static_cast<std::uint16_t>(height);
        return s;
    };
    X11OverlaySurface wanted = toRoot();
    if (!isDisplay(wanted)) {
        // The displays changed and their events are still on the way.
        reloadDisplays();
        wanted = toRoot();
    }
    const auto kept = std::find_if(kept_.begin(), kept_.end(), [&](const auto& s) {
        return s->covers(wanted.x, wanted.y, wanted.width, wanted.height);
    });
    std::unique_ptr<X11OverlaySurface> surface;
    if (kept != kept_.end()) {
        surface = std::move(*kept);
        kept_.erase(kept);
    } else {
        surface = make(wanted.x, wanted.y, wanted.width, wanted.height);
    }
    shape(*surface);
    return surface;
}

void X11OverlaySurfaces::keep(std::unique_ptr<X11OverlaySurface> surface) {
    const auto ofDisplay = std::count_if(kept_.begin(), kept_.end(), [&](const auto& s) {
        return s->covers(surface->x, surface->y, surface->width, surface->height);
    });
    if (surface->destroyed || !isDisplay(*surface) ||
        static_cast<std::size_t>(ofDisplay) >= kKeptPerDisplay) {
        destroy(*surface);
    } else {
        kept_.push_back(std::move(surface));
    }
}

bool X11OverlaySurfaces::forget(xcb_window_t window) {
    const auto kept = std::find_if(kept_.begin(), kept_.end(),
                                   [&](const auto& s) { return s->window == window; });
    if (kept == kept_.end()) {
        return false;
    }
    (*kept)->destroyed = true;
    destroy(**kept);
    kept_.erase(kept);
    return true;
}

void X11OverlaySurfaces::refreshDisplays() {
    if (displaysChanged_) {
        reloadDisplays();
    }
}

void X11OverlaySurfaces::reloadDisplays() {
    displaysChanged_ = false;
    const xcb_setup_t* server = xcb_get_setup(setup_.connection);
    xcb_screen_t* screen = xcb_setup_roots_iterator(server).data;
    for (auto it = xcb_setup_roots_iterator(server); it.rem > 0; xcb_screen_next(&it)) {
        if (it.data->root == setup_.root) {
            screen = it.data;
        }
    }
    auto geometry = reply(xcb_get_geometry_reply(
        setup_.connection, xcb_get_geometry(setup_.connection, setup_.root), nullptr));
    monitors_.reload(geometry ? geometry->width : screen->width_in_pixels,
                     geometry ? geometry->height : screen->height_in_pixels);
    std::erase_if(kept_, [this](const std::unique_ptr<X11OverlaySurface>& s) {
        if (isDisplay(*s)) {
            return false;
        }
        destroy(*s);
        return true;
    });
}

bool X11OverlaySurfaces::isDisplay(const X11OverlaySurface& surface) const {
    const auto& displays = monitors_.monitors();
    return std::any_of(displays.begin(), displays.end(), [&](const X11Monitors::Monitor& m) {
        return surface.covers(m.x, m.y, m.width, m.height);
    });
}

std::unique_ptr<X11OverlaySurface> X11OverlaySurfaces::make(std::int16_t x, std::int16_t y,
                                                            std::uint16_t width,
                                                            std::uint16_t height) {
    auto surface = std::make_unique<X11OverlaySurface>();
    surface->window = xcb_generate_id(setup_.connection);
    surface->x = x;
    surface->y = y;
    surface->width = width;
    surface->height = height;
    ++created_;
    const xcb_window_t window = surface->window;
    // Managed windows hear of their own mapping (the window manager maps them when it is ready).
    const std::uint32_t values[] = {
        0, 0, setup_.managed ? 0u : 1u,
        setup_.managed ? std::uint32_t{XCB_EVENT_MASK_STRUCTURE_NOTIFY} : 0u, setup_.colormap};
    xcb_create_window(setup_.connection, 32, window, setup_.root, x, y, width, height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, setup_.visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    if (setup_.hasShape) {
        // Clicks pass through: the input region is empty.
        xcb_shape_rectangles(setup_.connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                             XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
    }
    const auto set = [&](xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
                         std::uint32_t length, const void* data) {
        xcb_change_property(setup_.connection, XCB_PROP_MODE_REPLACE, window, property, type,
                            format, length, data);
    };
    static const char wmClass[] = "tavrilux-overlay\0Tavrilux";
    set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof(wmClass), wmClass);
    static const char name[] = "Tavrilux overlay";
    set(atoms_.wmName, atoms_.utf8, 8, sizeof(name) - 1, name);
    const auto pid = static_cast<std::uint32_t>(getpid());
    set(atoms_.wmPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
    if (setup_.managed) {
        // Undecorated, never focused, on every workspace, in no task bar, pager or switcher,
        // where we put it, and without a closing animation.
        const std::uint32_t motif[] = {2, 0, 0, 0, 0}; // decorations: none
        set(atoms_.motifHints, atoms_.motifHints, 32, 5, motif);
        const std::uint32_t hints[9] = {1, 0}; // input: no
        set(XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
        std::uint32_t size[18] = {};
        size[0] = 1 | 2 | 4 | 8 | 16 | 32; // user and program position and size, minimum, maximum
        size[1] = static_cast<std::uint32_t>(x);
        size[2] = static_cast<std::uint32_t>(y);
        size[3] = size[5] = size[7] = width;
        size[4] = size[6] = size[8] = height;
        set(XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, size);
        set(atoms_.windowType, XCB_ATOM_ATOM, 32, 1, &atoms_.windowTypeNormal);
        set(atoms_.wmState, XCB_ATOM_ATOM, 32, 4, atoms_.managedStates.data());
        const std::uint32_t everyDesktop = 0xFFFFFFFF;
        set(atoms_.wmDesktop, XCB_ATOM_CARDINAL, 32, 1, &everyDesktop);
        const std::uint32_t neverActivate = 0;
        set(atoms_.userTime, XCB_ATOM_CARDINAL, 32, 1, &neverActivate);
        const std::uint32_t yes = 1;
        set(atoms_.skipCloseAnimation, XCB_ATOM_CARDINAL, 32, 1, &yes);
    }
    if (lifecycle_) {
        lifecycle_(window, true);
    }
    return surface;
}

void X11OverlaySurfaces::shape(X11OverlaySurface& surface) {
    if (!setup_.hasShape || surface.destroyed) {
        return;
    }
    // The part of each earlier display that this one shares.
    std::vector<xcb_rectangle_t> shared;
    for (const auto& m : monitors_.monitors()) {
        if (surface.covers(m.x, m.y, m.width, m.height)) {
            break;
        }
        const int left = std::max<int>(surface.x, m.x);
        const int top = std::max<int>(surface.y, m.y);
        const int right = std::min(surface.x + surface.width, m.x + m.width);
        const int bottom = std::min(surface.y + surface.height, m.y + m.height);
        if (left < right && top < bottom) {
            shared.push_back(xcb_rectangle_t{static_cast<std::int16_t>(left - surface.x),
                                             static_cast<std::int16_t>(top - surface.y),
                                             static_cast<std::uint16_t>(right - left),
                                             static_cast<std::uint16_t>(bottom - top)});
        }
    }
    if (shared.empty()) {
        if (surface.shaped) {
            xcb_shape_mask(setup_.connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                           surface.window, 0, 0, XCB_PIXMAP_NONE);
            surface.shaped = false;
        }
        return;
    }
    const xcb_rectangle_t whole{0, 0, surface.width, surface.height};
    xcb_shape_rectangles(setup_.connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                         XCB_CLIP_ORDERING_UNSORTED, surface.window, 0, 0, 1, &whole);
    xcb_shape_rectangles(setup_.connection, XCB_SHAPE_SO_SUBTRACT, XCB_SHAPE_SK_BOUNDING,
                         XCB_CLIP_ORDERING_UNSORTED, surface.window, 0, 0,
                         static_cast<std::uint32_t>(shared.size()), shared.data());
    surface.shaped = true;
}

void X11OverlaySurfaces::destroy(X11OverlaySurface& surface) {
    if (lifecycle_) {
        lifecycle_(surface.window, false);
    }
    if (!surface.destroyed) {
        xcb_destroy_window(setup_.connection, surface.window);
    }
    if (surface.pixmap != 0) {
        xcb_free_pixmap(setup_.connection, surface.pixmap);
    }
    if (surface.gc != 0) {
        xcb_free_gc(setup_.connection, surface.gc);
    }
}

} // namespace tavrilux::x11
