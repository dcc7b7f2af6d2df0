#pragma once

#include "core/services/CrashReportingAPIClientProtocol.h"
#include "core/services/HttpTransport.h"
#include "core/services/SerialWorker.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace tavrilux {

// The client of the crash-report endpoint: one JSON POST per crash, sent one at a time from its
// own worker thread. The HTTP status is not examined; the answer body decides.
class CrashReportingAPIClient final : public CrashReportingAPIClientProtocol {
public:
    static constexpr const char* kPath = "/api/v1/crash-reports";
    static constexpr std::chrono::milliseconds kTimeout{60'000};

    // `url` must be an https URL; any other is refused at each upload without sending.
    CrashReportingAPIClient(std::string url, std::shared_ptr<HttpTransport> transport,
                            std::chrono::milliseconds timeout = kTimeout);
    ~CrashReportingAPIClient() override;

    // https://<host>/api/v1/crash-reports
    static std::string endpointForHost(const std::string& host);

    void submitCrash(CrashSubmission crash, Completion completion) override;

    // For quitting: the upload in flight is abandoned (it ends promptly, its completion getting a
    // transport error), those not started and any later ones are dropped without completion.
    // Returns once the worker has finished. The destructor does the same.
    void shutDown();

    const std::string& url() const { return url_; }

    // The request for one crash, or why it cannot be built.
    static std::variant<HttpRequest, CrashSubmitError>
    makeRequest(const std::string& url, const CrashSubmission& crash,
                std::chrono::milliseconds timeout);
    // What an answer body means: nothing for success, else the error.
    static std::optional<CrashSubmitError> interpretAnswer(const std::string& body);
    // UTC, whole seconds, "Z" suffix: 2024-05-01T12:30:00Z.
    static std::string formatOccurredAt(std::chrono::system_clock::time_point time);

private:
    std::optional<CrashSubmitError> submitNow(const CrashSubmission& crash);

    std::string url_;
    std::shared_ptr<HttpTransport> transport_;
    std::chrono::milliseconds timeout_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::unique_ptr<SerialWorker> worker_;
};

} // namespace tavrilux
