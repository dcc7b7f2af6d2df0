#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrilux::testdesktop {

// The mouse presses on a display and the end of chosen windows (unmapped or destroyed), in the
// order the server made them, read on a connection of its own. Whether a window went before or
// after a press is then a matter of that order, not of when anyone got round to reading it.
class PressLog final {
public:
    struct Entry {
        enum class Kind { press, gone } kind = Kind::press;
        // The button of a press; the window that went.
        std::uint32_t detail = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // Starts logging the presses of every button (XInput 2 raw events, whoever holds a grab).
    explicit PressLog(const std::string& display);
    ~PressLog();
    PressLog(const PressLog&) = delete;
    PressLog& operator=(const PressLog&) = delete;

    // Logs from now on when `window` is unmapped or destroyed.
    void watch(xcb_window_t window);
    // Reads the events that come until `done` holds for the log (checked at the start too), up to
    // `timeout`. Whether it held.
    bool waitUntil(const std::function<bool(const std::vector<Entry>&)>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5));
    const std::vector<Entry>& entries() const { return entries_; }
    // Where `entry` first stands in the log; -1 when it does not.
    int indexOf(const Entry& entry) const;

private:
    void read(const xcb_generic_event_t& event);

    xcb_connection_t* connection_;
    std::uint8_t xinputOpcode_ = 0;
    std::vector<xcb_window_t> watched_;
    std::vector<Entry> entries_;
};

} // namespace tavrilux::testdesktop
