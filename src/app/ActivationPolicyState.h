#pragma once

#include "core/platform/RunningApplication.h"

namespace tavrilux {

// The application's activation policy: regular while a settings or onboarding window shows,
// accessory otherwise (the tray icon only). X11 has no Dock to show or hide, so nothing else
// follows from it; the window owners keep it so that it says which state the application is in.
// Main thread only.
class ActivationPolicyState final {
public:
    static ActivationPolicy current() { return policy(); }
    static void set(ActivationPolicy value) { policy() = value; }

private:
    static ActivationPolicy& policy() {
        static ActivationPolicy value = ActivationPolicy::accessory;
        return value;
    }
};

} // namespace tavrilux
