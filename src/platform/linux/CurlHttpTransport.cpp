#include "platform/linux/CurlHttpTransport.h"

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace tavrilux::linux_platform {

namespace {

struct Answer {
    std::string body;
    bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* context) {
    auto* answer = static_cast<Answer*>(context);
    const std::size_t bytes = size * count;
    if (answer->body.size() + bytes > CurlHttpTransport::kMaxAnswerBytes) {
        answer->tooLarge = true;
        return 0; // aborts the transfer
    }
    answer->body.append(data, bytes);
    return bytes;
}

// Called by curl at least once a second during a transfer; non-zero ends it.
int checkCancelled(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancelled = static_cast<const std::atomic<bool>*>(context);
    return cancelled->load() ? 1 : 0;
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

CurlHttpTransport::CurlHttpTransport(std::optional<std::filesystem::path> certificateAuthorityFile)
    : caFile_(std::move(certificateAuthorityFile)) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Result<HttpResponse> CurlHttpTransport::send(const HttpRequest& request) {
    if (request.url.rfind("https://", 0) != 0) {
        return ServiceFailure{"refusing a URL that is not https: " + request.url};
    }
    if (request.cancelled && request.cancelled->load()) {
        return ServiceFailure{"the request was cancelled"};
    }
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        return ServiceFailure{"cannot start an HTTP transfer"};
    }
    CURL* handle = curl.get();
    Answer answer;
    std::unique_ptr<curl_slist, HeaderListDeleter> headers;
    for (const auto& [name, value] : request.headers) {
        const std::string line = name + ": " + value;
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown) {
            return ServiceFailure{"cannot build the request headers"};
        }
        (void)headers.release();
        headers.reset(grown);
    }
    // Without Expect, curl would wait a second for "100 Continue" on larger bodies.
    curl_slist* grown = curl_slist_append(headers.get(), "Expect:");
    if (grown) {
        (void)headers.release();
        headers.reset(grown);
    }

    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (caFile_) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, caFile_->c_str());
        curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeout.count()));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &answer);
    if (request.cancelled) {
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, checkCancelled);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, request.cancelled.get());
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    }
    if (request.method == "POST") {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
    } else if (request.method != "GET") {
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }

    const CURLcode code = curl_easy_perform(handle);
    if (answer.tooLarge) {
        return ServiceFailure{"the answer is larger than " + std::to_string(kMaxAnswerBytes) +
                              " bytes"};
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        return ServiceFailure{"the request was cancelled"};
    }
    if (code != CURLE_OK) {
        return ServiceFailure{std::string("HTTP transfer failed: ") + curl_easy_strerror(code)};
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    return HttpResponse{static_cast<int>(status), std::move(answer.body)};
}

} // namespace tavrilux::linux_platform
