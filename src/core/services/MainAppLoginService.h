#pragma once

#include "core/services/LoginItemStatus.h"
#include "core/services/ServiceFailure.h"

#include <optional>

namespace tavrilux {

// The desktop's own registration of the installed program as something to start at login.
//
// Contract:
// - status() reads the registration afresh on every call and never fails.
// - registerApp() and unregisterApp() change it, returning the reason when they could not.
// - Main thread only.
class MainAppLoginService {
public:
    MainAppLoginService() = default;
    virtual ~MainAppLoginService() = default;
    MainAppLoginService(const MainAppLoginService&) = delete;
    MainAppLoginService& operator=(const MainAppLoginService&) = delete;

    virtual LoginItemStatus status() const = 0;
    virtual std::optional<ServiceFailure> registerApp() = 0;
    virtual std::optional<ServiceFailure> unregisterApp() = 0;
};

} // namespace tavrilux
