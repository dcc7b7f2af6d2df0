#include "core/services/CrashReportingManager.h"

namespace tavrilux {

namespace {

// Sends crashes[index...] one after the other; a failure costs only its own crash.
void submitFrom(std::shared_ptr<CrashReportingAPIClientProtocol> client,
                std::shared_ptr<const std::vector<CrashSubmission>> crashes, std::size_t index) {
    if (index >= crashes->size()) {
        return;
    }
    auto& api = *client;
    api.submitCrash((*crashes)[index],
                    [client = std::move(client), crashes, index](std::optional<CrashSubmitError>) {
                        submitFrom(client, crashes, index + 1);
                    });
}

} // namespace

CrashReportingManager::CrashReportingManager(Environment environment)
    : env_(std::move(environment)) {}

void CrashReportingManager::didReceive(const std::vector<DiagnosticPayload>& payloads) {
    std::vector<CrashSubmission> crashes;
    for (const auto& payload : payloads) {
        for (const auto& diagnostic : payload.crashDiagnostics) {
            CrashSubmission crash;
            crash.occurredAt = payload.timeStampEnd;
            crash.diagnostic = diagnostic.jsonRepresentation;
            crashes.push_back(std::move(crash));
        }
    }
    if (crashes.empty()) {
        return;
    }
    const std::string deviceID = env_.deviceIdentifierProvider->deviceID();
    const std::string appVersion = env_.appShortVersion.value_or("dev");
    const std::string osVersion = env_.operatingSystemVersion ? env_.operatingSystemVersion() : "";
    for (auto& crash : crashes) {
        crash.deviceID = deviceID;
        crash.productID = kProductID;
        crash.appVersion = appVersion;
        crash.macosVersion = osVersion;
    }
    auto shared = std::make_shared<const std::vector<CrashSubmission>>(std::move(crashes));
    env_.dispatcher.dispatch([client = env_.client, isEnabled = env_.isEnabledProvider, shared] {
        if (isEnabled && !isEnabled()) {
            return;
        }
        submitFrom(client, shared, 0);
    });
}

} // namespace tavrilux
