#pragma once

#include "core/focus/Identifiers.h"
#include "core/focus/ScreenGeometry.h"
#include "core/platform/Screen.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrilux {

// The connected displays.
//
// Contract:
// - screens() lists the displays with the primary display first; every frame is in bottom-left
//   global coordinates, the primary display's origin at (0, 0).
// - mainDisplayID() is the primary display's number (the fallback id of a display that has no
//   number of its own).
// - displayUUID() is the stable unique id of the display with that number, upper-case
//   8-4-4-4-12 hexadecimal; none when the desktop knows nothing to derive it from.
// - Main thread only; answers reflect the desktop's state at the time of the call.
class Screens {
public:
    Screens() = default;
    virtual ~Screens() = default;
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    virtual std::vector<Screen> screens() const = 0;
    virtual DisplayID mainDisplayID() const = 0;
    virtual std::optional<std::string> displayUUID(DisplayID display) const = 0;
};

// The display id: the display's own number, else the main display's.
inline DisplayID tavriluxScreenID(const Screen& screen, const Screens& screens) {
    return screen.displayNumber ? *screen.displayNumber : screens.mainDisplayID();
}

// The display key (what display exclusions store): the display's UUID, else its id in decimal.
inline std::string tavriluxDisplayUUID(const Screen& screen, const Screens& screens) {
    const DisplayID id = tavriluxScreenID(screen, screens);
    if (auto uuid = screens.displayUUID(id)) {
        return *uuid;
    }
    return std::to_string(id);
}

// The displays as focus detection needs them, in screens() order.
inline std::vector<ScreenGeometry> screenGeometries(const std::vector<Screen>& list,
                                                    const Screens& screens) {
    std::vector<ScreenGeometry> result;
    result.reserve(list.size());
    for (const auto& screen : list) {
        result.push_back(ScreenGeometry{tavriluxScreenID(screen, screens), screen.frame});
    }
    return result;
}

} // namespace tavrilux
