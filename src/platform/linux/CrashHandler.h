#pragma once

#include "core/services/ServiceFailure.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux::linux_platform {

// Writes one crash record (see CrashRecord) into a private folder when the process receives a
// fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS), then lets the signal
// end the process as it would have without the handler. The handler only calls functions that
// are safe in a signal handler; everything it needs is prepared by install(). It runs on an
// alternate stack on the installing thread, so a stack overflow there is recorded too.
// Naming the call stack's symbols needs the dynamic loader's lock; should another thread hold
// it, writing gives up after `recordTimeLimit` and the process still dies of its own signal.
class CrashHandler final {
public:
    static constexpr std::chrono::seconds kRecordTimeLimit{10};

    // Makes `folder` (mode 0700, owned by this user) and installs the handler. Fails, installing
    // nothing, when the folder cannot be made private or its path is too long.
    static std::optional<ServiceFailure>
    install(const std::filesystem::path& folder, const std::string& programVersion,
            std::chrono::seconds recordTimeLimit = kRecordTimeLimit);
    // Puts back the signal actions that were in place before install().
    static void uninstall();
};

} // namespace tavrilux::linux_platform
