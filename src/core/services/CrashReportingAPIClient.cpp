#include "core/services/CrashReportingAPIClient.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ctime>

namespace tavrilux {

namespace {

using nlohmann::json;

bool isHttpsUrl(const std::string& url) {
    return url.rfind("https://", 0) == 0 && url.size() > 8;
}

CrashSubmitError invalidResponse() {
    return {CrashSubmitError::Kind::service, "invalid response",
            ServiceAPIError{"INVALID_RESPONSE",
                            "The crash reporting server returned an invalid response.",
                            std::nullopt}};
}

} // namespace

CrashReportingAPIClient::CrashReportingAPIClient(std::string url,
                                                 std::shared_ptr<HttpTransport> transport,
                                                 std::chrono::milliseconds timeout)
    : url_(std::move(url)), transport_(std::move(transport)), timeout_(timeout),
      cancelled_(std::make_shared<std::atomic<bool>>(false)),
      worker_(std::make_unique<SerialWorker>()) {}

CrashReportingAPIClient::~CrashReportingAPIClient() {
    shutDown();
}

void CrashReportingAPIClient::shutDown() {
    cancelled_->store(true);
    worker_->stop();
}

std::string CrashReportingAPIClient::endpointForHost(const std::string& host) {
    return "https://" + host + kPath;
}

std::string CrashReportingAPIClient::formatOccurredAt(std::chrono::system_clock::time_point time) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(time);
    const std::time_t t = std::chrono::system_clock::to_time_t(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return buffer;
}

std::variant<HttpRequest, CrashSubmitError>
CrashReportingAPIClient::makeRequest(const std::string& url, const CrashSubmission& crash,
                                     std::chrono::milliseconds timeout) {
    auto diagnostic = json::parse(crash.diagnostic, nullptr, /*allow_exceptions=*/false);
    // A diagnostic is a JSON document: an object or an array, never a bare value.
    if (!diagnostic.is_object() && !diagnostic.is_array()) {
        return CrashSubmitError{CrashSubmitError::Kind::invalidDiagnostic,
                                "the crash diagnostic is not JSON", std::nullopt};
    }
    json body = {
        {"device_id", crash.deviceID},
        {"product_id", crash.productID},
        {"app_version", crash.appVersion},
        {"macos_version", crash.macosVersion},
        {"occurred_at", formatOccurredAt(crash.occurredAt)},
        {"diagnostic", std::move(diagnostic)},
    };
    HttpRequest request;
    request.method = "POST";
    request.url = url;
    request.headers = {{"Accept", "application/json"}, {"Content-Type", "application/json"}};
    request.timeout = timeout;
    try {
        request.body = body.dump();
    } catch (const json::exception& error) {
        return CrashSubmitError{CrashSubmitError::Kind::encoding, error.what(), std::nullopt};
    }
    return request;
}

std::optional<CrashSubmitError> CrashReportingAPIClient::interpretAnswer(const std::string& body) {
    auto answer = json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (!answer.is_object() || !answer.contains("success") || !answer["success"].is_boolean()) {
        return CrashSubmitError{CrashSubmitError::Kind::decoding,
                                "the answer is not the service's answer object", std::nullopt};
    }
    std::optional<ServiceAPIError> error;
    if (answer.contains("error") && !answer["error"].is_null()) {
        const auto& record = answer["error"];
        const bool wellFormed =
            record.is_object() && record.contains("code") && record["code"].is_string() &&
            record.contains("message") && record["message"].is_string() &&
            (!record.contains("field") || record["field"].is_string() || record["field"].is_null());
        if (!wellFormed) {
            return CrashSubmitError{CrashSubmitError::Kind::decoding,
                                    "the answer's error record is malformed", std::nullopt};
        }
        error = ServiceAPIError{record["code"].get<std::string>(),
                                record["message"].get<std::string>(), std::nullopt};
        if (record.contains("field") && record["field"].is_string()) {
            error->field = record["field"].get<std::string>();
        }
    }
    if (answer["success"].get<bool>()) {
        return std::nullopt;
    }
    if (error) {
        return CrashSubmitError{CrashSubmitError::Kind::service, error->message, error};
    }
    return invalidResponse();
}

std::optional<CrashSubmitError> CrashReportingAPIClient::submitNow(const CrashSubmission& crash) {
    if (!isHttpsUrl(url_)) {
        return CrashSubmitError{CrashSubmitError::Kind::transport,
                                "refusing to send a crash report to a non-https endpoint",
                                std::nullopt};
    }
    auto built = makeRequest(url_, crash, timeout_);
    if (auto* error = std::get_if<CrashSubmitError>(&built)) {
        return *error;
    }
    auto& request = std::get<HttpRequest>(built);
    request.cancelled = cancelled_;
    auto response = transport_->send(request);
    if (!response.ok()) {
        return CrashSubmitError{CrashSubmitError::Kind::transport, response.failure().description,
                                std::nullopt};
    }
    return interpretAnswer(response.value().body);
}

void CrashReportingAPIClient::submitCrash(CrashSubmission crash, Completion completion) {
    worker_->post([this, crash = std::move(crash), completion = std::move(completion)] {
        auto outcome = submitNow(crash);
        if (completion) {
            completion(std::move(outcome));
        }
    });
}

} // namespace tavrilux
