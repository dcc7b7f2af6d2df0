#pragma once

#include "core/platform/RunningApplication.h"

class QWidget;

namespace tavrilux {

// The application's own activation policy: regular while a settings or onboarding window shows,
// accessory (tray icon only) otherwise, which is also how it starts. X11 has no Dock or
// application menu, so nothing else follows from it; the window managers keep it so that they
// agree with one another. Main thread only.
class ApplicationActivation final {
public:
    ApplicationActivation() = delete;

    static ActivationPolicy policy();
    static void setPolicy(ActivationPolicy policy);
    // Shows one of the application's windows in front of the others and gives it the focus, also
    // when the user had minimised it.
    static void present(QWidget& window);
};

} // namespace tavrilux
