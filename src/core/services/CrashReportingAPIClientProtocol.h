#pragma once

#include "core/services/ServiceAPIError.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace tavrilux {

// One crash to upload.
struct CrashSubmission final {
    std::string deviceID;
    std::string productID;
    std::string appVersion;
    std::string macosVersion;
    std::chrono::system_clock::time_point occurredAt;
    // The crash diagnostic as JSON text.
    std::string diagnostic;
};

// Why an upload failed.
struct CrashSubmitError final {
    enum class Kind {
        // The diagnostic is not JSON; nothing was sent.
        invalidDiagnostic,
        // The body could not be written as JSON; nothing was sent.
        encoding,
        // No answer: refused, unverifiable server, time-out, or an endpoint that is not https.
        transport,
        // The answer is not the service's answer object.
        decoding,
        // The service declined the crash; see serviceError.
        service,
    };
    Kind kind = Kind::transport;
    std::string message;
    std::optional<ServiceAPIError> serviceError;
};

// Uploads crashes to the crash-report endpoint.
//
// Contract: submitCrash() returns at once; the completion runs once, on a thread of the client's
// choosing, with nothing on success or the reason of the failure. A client sends one request at a
// time, in the order of the calls.
class CrashReportingAPIClientProtocol {
public:
    using Completion = std::function<void(std::optional<CrashSubmitError>)>;

    CrashReportingAPIClientProtocol() = default;
    virtual ~CrashReportingAPIClientProtocol() = default;
    CrashReportingAPIClientProtocol(const CrashReportingAPIClientProtocol&) = delete;
    CrashReportingAPIClientProtocol& operator=(const CrashReportingAPIClientProtocol&) = delete;

    virtual void submitCrash(CrashSubmission crash, Completion completion) = 0;
};

} // namespace tavrilux
