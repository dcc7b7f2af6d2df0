#pragma once

#include <xcb/xcb.h>

#include <initializer_list>

namespace tavrilux::x11 {

// An atom to intern: where it goes, and its name.
struct AtomRequest final {
    xcb_atom_t* atom;
    const char* name;
};

// Interns every name with one round trip: all requests go out before the first answer is read.
// An atom the server does not answer is XCB_ATOM_NONE.
void internAtoms(xcb_connection_t* connection, std::initializer_list<AtomRequest> requests);

} // namespace tavrilux::x11
