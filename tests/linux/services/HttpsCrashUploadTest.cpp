#include "LoopbackHttpsServer.h"
#include "core/services/CrashReportingAPIClient.h"
#include "core/services/CrashReportingManager.h"
#include "fakes/FakeMainThreadDispatcher.h"
#include "fakes/TempDir.h"
#include "platform/linux/CurlHttpTransport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <future>

namespace tavrilux {
namespace {

using namespace std::chrono_literals;
using fakes::TempDir;
using linux_platform::CurlHttpTransport;
using testing::CannedAnswer;
using testing::LoopbackHttpsServer;
using testing::ReceivedRequest;
using testing::TestCertificates;

CrashSubmission crashWith(std::string diagnostic) {
    return {"DEVICE",
            "tavrilux",
            "2.0.1",
            "Debian 12, Linux 6.1",
            std::chrono::system_clock::time_point(1714566600s),
            std::move(diagnostic)};
}

class FixedDeviceID final : public DeviceIdentifierProviding {
public:
    std::string deviceID() const override { return "FIXED-ID"; }
};

std::optional<CrashSubmitError> submit(CrashReportingAPIClient& client, CrashSubmission crash) {
    std::promise<std::optional<CrashSubmitError>> done;
    auto outcome = done.get_future();
    client.submitCrash(std::move(crash),
                       [&done](std::optional<CrashSubmitError> error) { done.set_value(error); });
    return outcome.get();
}

class HttpsCrashUploadTest : public ::testing::Test {
protected:
    // A server that answers every request with `answer`.
    std::unique_ptr<LoopbackHttpsServer> serve(CannedAnswer answer) {
        return std::make_unique<LoopbackHttpsServer>(
            certificates, [answer](const ReceivedRequest&) { return answer; });
    }
    // A server that reads each request and never answers.
    std::unique_ptr<LoopbackHttpsServer> serveSilently() { return serve({0, "", true}); }
    std::shared_ptr<CrashReportingAPIClient> clientFor(const LoopbackHttpsServer& server,
                                                       std::chrono::milliseconds timeout = 10s,
                                                       const TestCertificates* trusted = nullptr) {
        return std::make_shared<CrashReportingAPIClient>(
            server.url(CrashReportingAPIClient::kPath),
            std::make_shared<CurlHttpTransport>((trusted ? *trusted : certificates).caFile()),
            timeout);
    }
    CrashReportingManager managerFor(std::shared_ptr<CrashReportingAPIClient> client) {
        return CrashReportingManager({std::move(client), std::make_shared<FixedDeviceID>(),
                                      [] { return true; }, dispatcher, "3.1",
                                      [] { return "Linux test"; }});
    }

    TempDir folder;
    TestCertificates certificates{folder.path()};
    fakes::FakeMainThreadDispatcher dispatcher;
};

TEST_F(HttpsCrashUploadTest, SuccessSendsTheRequestExactly) {
    auto server = serve({200, R"({"success": true})"});
    EXPECT_FALSE(
        submit(*clientFor(*server), crashWith(R"({"signal": 11, "callStack": []})")).has_value());

    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/api/v1/crash-reports");
    EXPECT_EQ(request.headers.at("accept"), "application/json");
    EXPECT_EQ(request.headers.at("content-type"), "application/json");
    const auto body = nlohmann::json::parse(request.body);
    EXPECT_EQ(body["occurred_at"], "2024-05-01T12:30:00Z");
    EXPECT_EQ(body["diagnostic"]["signal"], 11) << "the whole body arrives";
}

// The status is not examined, the body is.
TEST_F(HttpsCrashUploadTest, EveryAnswerIsJudgedByItsBody) {
    using Kind = CrashSubmitError::Kind;
    const struct {
        CannedAnswer answer;
        std::optional<Kind> kind;
        std::optional<ServiceAPIError> serviceError;
    } cases[] = {
        {{500, R"({"success": true})"}, std::nullopt, std::nullopt},
        {{422, R"({"success": false, "error": {"code": "VALIDATION_ERROR",
                   "message": "device_id is required", "field": "device_id"}})"},
         Kind::service,
         ServiceAPIError{"VALIDATION_ERROR", "device_id is required", "device_id"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.body);
        auto server = serve(c.answer);
        const auto error = submit(*clientFor(*server), crashWith("{}"));
        ASSERT_EQ(error.has_value(), c.kind.has_value());
        if (error) {
            EXPECT_EQ(error->kind, *c.kind);
            EXPECT_EQ(error->serviceError, c.serviceError);
        }
    }
}

TEST_F(HttpsCrashUploadTest, RefusedAndSilentServersAreTransportFailures) {
    CrashReportingAPIClient refused(
        "https://127.0.0.1:" + std::to_string(LoopbackHttpsServer::unusedPort()) +
            CrashReportingAPIClient::kPath,
        std::make_shared<CurlHttpTransport>(certificates.caFile()));
    auto error = submit(refused, crashWith("{}"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, CrashSubmitError::Kind::transport);

    auto server = serveSilently();
    const auto started = std::chrono::steady_clock::now();
    auto timedOut = submit(*clientFor(*server, 1s), crashWith("{}"));
    ASSERT_TRUE(timedOut.has_value());
    EXPECT_EQ(timedOut->kind, CrashSubmitError::Kind::transport);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "the injected time-out applies";
    EXPECT_EQ(server->requests().size(), 1u);
}

// Longer than the server keeps any connection: only cancelling can end an upload while the server
// still holds it.
constexpr auto kLongerThanTheServer = 2 * LoopbackHttpsServer::kLifetime;

TEST_F(HttpsCrashUploadTest, ShutDownStopsADeliveryThatStillOwnsTheClient) {
    auto server = serveSilently();
    auto client = clientFor(*server, kLongerThanTheServer);
    auto manager = managerFor(client);
    DiagnosticPayload payload;
    payload.crashDiagnostics = {{R"({"which": "first"})"}, {R"({"which": "second"})"}};
    manager.didReceive({payload});
    ASSERT_EQ(dispatcher.runPending(), 1u);
    ASSERT_EQ(server->waitForRequests(1, 20s).size(), 1u);

    client->shutDown();
    EXPECT_EQ(server->silentConnectionsHeld(), 1) << "the upload was ended, not answered";
    bool called = false;
    client->submitCrash(crashWith("{}"), [&](std::optional<CrashSubmitError>) { called = true; });
    client.reset();
    EXPECT_FALSE(called);
    EXPECT_EQ(server->requests().size(), 1u) << "the second crash was not sent";
}

TEST_F(HttpsCrashUploadTest, UntrustedServersAndPlainHttpGetNothing) {
    auto server = serve({200, R"({"success": true})"});
    TempDir otherFolder;
    TestCertificates stranger(otherFolder.path());
    TestCertificates elsewhere(otherFolder.path(), "DNS:crash.elsewhere.invalid");
    LoopbackHttpsServer misnamed(elsewhere, [](const ReceivedRequest&) {
        return CannedAnswer{200, R"({"success": true})"};
    });
    const std::pair<const char*, std::shared_ptr<CrashReportingAPIClient>> cases[] = {
        {"an authority the client does not trust", clientFor(*server, 10s, &stranger)},
        // The system's trust store does not know the test authority either.
        {"the system's trust store",
         std::make_shared<CrashReportingAPIClient>(server->url(CrashReportingAPIClient::kPath),
                                                   std::make_shared<CurlHttpTransport>())},
        // A trusted authority does not make any host name right.
        {"a certificate for another host", clientFor(misnamed, 10s, &elsewhere)},
    };
    for (const auto& [what, client] : cases) {
        SCOPED_TRACE(what);
        const auto error = submit(*client, crashWith("{}"));
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind, CrashSubmitError::Kind::transport);
    }
    EXPECT_TRUE(misnamed.requests().empty());

    CurlHttpTransport transport(certificates.caFile());
    HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(server->port()) + "/";
    EXPECT_FALSE(transport.send(request).ok());
    EXPECT_TRUE(server->requests().empty());
}

} // namespace
} // namespace tavrilux
