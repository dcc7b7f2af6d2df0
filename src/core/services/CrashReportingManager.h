#pragma once

#include "core/services/CrashReportingAPIClientProtocol.h"
#include "core/services/DeviceIdentifierProviding.h"
#include "core/services/DiagnosticPayload.h"
#include "core/services/MainThreadDispatcher.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tavrilux {

// Uploads the crashes of earlier runs, one by one, when the user allows it. Whether uploads are
// allowed is asked once per delivery, on the main thread, before the first upload. A crash that
// cannot be sent is dropped: nothing is stored, retried or logged.
class CrashReportingManager final : public DiagnosticSubscriber {
public:
    static constexpr const char* kProductID = "tavrilux";

    struct Environment {
        std::shared_ptr<CrashReportingAPIClientProtocol> client;
        std::shared_ptr<const DeviceIdentifierProviding> deviceIdentifierProvider;
        // Called on the main thread.
        std::function<bool()> isEnabledProvider;
        MainThreadDispatcher& dispatcher;
        // The release version; development builds have none and report "dev".
        std::optional<std::string> appShortVersion;
        std::function<std::string()> operatingSystemVersion;
    };

    explicit CrashReportingManager(Environment environment);

    void didReceive(const std::vector<DiagnosticPayload>& payloads) override;

private:
    Environment env_;
};

} // namespace tavrilux
