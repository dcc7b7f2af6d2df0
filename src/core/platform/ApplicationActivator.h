#pragma once

#include "core/platform/RunningApplication.h"

namespace tavrilux {

// Brings a running application to the front.
//
// Contract:
// - activate() asks the desktop to make the application active; with `allWindows` its windows
//   come forward together, not only its front window. An application that has gone away, or
//   has no window, is ignored. Main thread only.
class ApplicationActivator {
public:
    ApplicationActivator() = default;
    virtual ~ApplicationActivator() = default;
    ApplicationActivator(const ApplicationActivator&) = delete;
    ApplicationActivator& operator=(const ApplicationActivator&) = delete;

    virtual void activate(const RunningApplication& application, bool allWindows) = 0;
};

} // namespace tavrilux
