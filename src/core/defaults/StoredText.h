#pragma once

#include <string>

namespace tavrilux {

// What a domain's storage found when it was loaded.
struct StoredText final {
    enum class State {
        absent,     // never written
        present,    // `content` is the stored text
        unreadable, // something is there but cannot be read; `content` says why
    };
    State state = State::absent;
    std::string content;
};

} // namespace tavrilux
