#pragma once

#include <cstdlib>
#include <memory>

namespace tavrilux::x11 {

// xcb hands every reply and event over as a malloc'd block that the caller frees.
struct FreeXcbBlock final {
    void operator()(void* block) const { std::free(block); }
};

template <typename T> using Reply = std::unique_ptr<T, FreeXcbBlock>;

template <typename T> Reply<T> reply(T* block) {
    return Reply<T>(block);
}

} // namespace tavrilux::x11
