#include "platform/x11/XcbAtoms.h"

#include "platform/x11/XcbReply.h"

#include <cstring>
#include <vector>

namespace tavrilux::x11 {

void internAtoms(xcb_connection_t* connection, std::initializer_list<AtomRequest> requests) {
    std::vector<xcb_intern_atom_cookie_t> cookies;
    cookies.reserve(requests.size());
    for (const AtomRequest& r : requests) {
        cookies.push_back(xcb_intern_atom(connection, 0,
                                          static_cast<std::uint16_t>(std::strlen(r.name)), r.name));
    }
    auto cookie = cookies.begin();
    for (const AtomRequest& r : requests) {
        auto answer = reply(xcb_intern_atom_reply(connection, *cookie++, nullptr));
        *r.atom = answer ? answer->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
}

} // namespace tavrilux::x11
