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
    std::unique_ptr<LoopbackHttpsServer> serveSilently() {
        CannedAnswer silence;
        silence.neverAnswer = true;
        return serve(silence);
    }
    std::shared_ptr<CrashReportingAPIClient> sharedClientFor(const LoopbackHttpsServer& server,
                                                             std::chrono::milliseconds timeout) {
        return std::make_shared<CrashReportingAPIClient>(
            server.url(CrashReportingAPIClient::kPath),
            std::make_shared<CurlHttpTransport>(certificates.caFile()), timeout);
    }
    CrashReportingAPIClient clientFor(const LoopbackHttpsServer& server,
                                      std::chrono::milliseconds timeout = 10s) {
        return CrashReportingAPIClient(server.url(CrashReportingAPIClient::kPath),
                                       std::make_shared<CurlHttpTransport>(certificates.caFile()),
                                       timeout);
    }

    TempDir folder;
    TestCertificates certificates{folder.path()};
};

TEST_F(HttpsCrashUploadTest, SuccessSendsTheRequestExactly) {
    auto server = serve({200, R"({"success": true})"});
    auto client = clientFor(*server);
    EXPECT_FALSE(submit(client, crashWith(R"({"signal": 11, "callStack": []})")).has_value());

    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/api/v1/crash-reports");
    EXPECT_EQ(request.headers.at("accept"), "application/json");
    EXPECT_EQ(request.headers.at("content-type"), "application/json");
    const auto body = nlohmann::json::parse(request.body);
    EXPECT_EQ(body, (nlohmann::json{
                        {"device_id", "DEVICE"},
                        {"product_id", "tavrilux"},
                        {"app_version", "2.0.1"},
                        {"macos_version", "Debian 12, Linux 6.1"},
                        {"occurred_at", "2024-05-01T12:30:00Z"},
                        {"diagnostic", {{"signal", 11}, {"callStack", nlohmann::json::array()}}}}));
}

TEST_F(HttpsCrashUploadTest, ServiceRefusalsBecomeServiceErrors) {
    {
        auto server = serve({200, R"({"success": false})"});
        auto client = clientFor(*server);
        auto error = submit(client, crashWith("{}"));
        ASSERT_TRUE(error && error->serviceError);
        EXPECT_EQ(error->serviceError->code, "INVALID_RESPONSE");
        EXPECT_EQ(error->serviceError->message,
                  "The crash reporting server returned an invalid response.");
        EXPECT_FALSE(error->serviceError->field.has_value());
    }
    {
        auto server = serve({422,
                             R"({"success": false, "error": {"code": "VALIDATION_ERROR",
                                 "message": "device_id is required", "field": "device_id"}})"});
        auto client = clientFor(*server);
        auto error = submit(client, crashWith("{}"));
        ASSERT_TRUE(error && error->serviceError);
        EXPECT_EQ(*error->serviceError,
                  (ServiceAPIError{"VALIDATION_ERROR", "device_id is required", "device_id"}));
    }
}

TEST_F(HttpsCrashUploadTest, StatusIsNotExaminedButTheBodyIs) {
    {
        auto server = serve({500, R"({"success": true})"});
        auto client = clientFor(*server);
        EXPECT_FALSE(submit(client, crashWith("{}")).has_value());
    }
    {
        auto server = serve({200, "<html>gateway says hello</html>"});
        auto client = clientFor(*server);
        auto error = submit(client, crashWith("{}"));
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind, CrashSubmitError::Kind::decoding);
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
    auto client = clientFor(*server, 1s);
    const auto started = std::chrono::steady_clock::now();
    auto timedOut = submit(client, crashWith("{}"));
    ASSERT_TRUE(timedOut.has_value());
    EXPECT_EQ(timedOut->kind, CrashSubmitError::Kind::transport);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "the injected time-out applies";
    EXPECT_EQ(server->requests().size(), 1u);
}

// Longer than the server keeps any connection: only cancelling can end an upload while the server
// still holds it.
constexpr auto kLongerThanTheServer = 2 * LoopbackHttpsServer::kLifetime;

TEST_F(HttpsCrashUploadTest, DestroyingTheClientEndsTheUploadInFlight) {
    auto server = serveSilently();
    auto client = sharedClientFor(*server, kLongerThanTheServer);
    std::promise<std::optional<CrashSubmitError>> first;
    auto firstOutcome = first.get_future();
    std::atomic<int> laterCompletions{0};
    client->submitCrash(crashWith("{}"), [&first](std::optional<CrashSubmitError> error) {
        first.set_value(error);
    });
    client->submitCrash(crashWith("{}"),
                        [&](std::optional<CrashSubmitError>) { ++laterCompletions; });
    ASSERT_EQ(server->waitForRequests(1, 20s).size(), 1u);

    client.reset();
    EXPECT_EQ(server->silentConnectionsHeld(), 1) << "the upload was ended, not answered";
    ASSERT_EQ(firstOutcome.wait_for(0s), std::future_status::ready);
    const auto error = firstOutcome.get();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, CrashSubmitError::Kind::transport);
    EXPECT_EQ(laterCompletions.load(), 0) << "the queued upload is dropped";
    EXPECT_EQ(server->requests().size(), 1u);
}

TEST_F(HttpsCrashUploadTest, ShutDownStopsADeliveryThatStillOwnsTheClient) {
    auto server = serveSilently();
    auto client = sharedClientFor(*server, kLongerThanTheServer);
    fakes::FakeMainThreadDispatcher dispatcher;
    CrashReportingManager manager({client, std::make_shared<FixedDeviceID>(), [] { return true; },
                                   dispatcher, "3.1", [] { return "Linux test"; }});
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

TEST_F(HttpsCrashUploadTest, ServerWithoutATrustedCertificateGetsNothing) {
    auto server = serve({200, R"({"success": true})"});
    TempDir otherFolder;
    TestCertificates stranger(otherFolder.path());
    CrashReportingAPIClient client(server->url(CrashReportingAPIClient::kPath),
                                   std::make_shared<CurlHttpTransport>(stranger.caFile()));
    auto error = submit(client, crashWith("{}"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, CrashSubmitError::Kind::transport);
    EXPECT_TRUE(server->requests().empty());

    // The system's trust store does not know the test authority either.
    CrashReportingAPIClient systemTrust(server->url(CrashReportingAPIClient::kPath),
                                        std::make_shared<CurlHttpTransport>());
    EXPECT_TRUE(submit(systemTrust, crashWith("{}")).has_value());
    EXPECT_TRUE(server->requests().empty());
}

TEST_F(HttpsCrashUploadTest, CertificateForAnotherHostGetsNothing) {
    TempDir otherFolder;
    TestCertificates elsewhere(otherFolder.path(), "DNS:crash.elsewhere.invalid");
    LoopbackHttpsServer server(elsewhere, [](const ReceivedRequest&) {
        return CannedAnswer{200, R"({"success": true})"};
    });
    CrashReportingAPIClient client(server.url(CrashReportingAPIClient::kPath),
                                   std::make_shared<CurlHttpTransport>(elsewhere.caFile()));
    auto error = submit(client, crashWith("{}"));
    ASSERT_TRUE(error.has_value()) << "a trusted authority does not make any host name right";
    EXPECT_EQ(error->kind, CrashSubmitError::Kind::transport);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(HttpsCrashUploadTest, TransportRefusesPlainHttp) {
    auto server = serve({200, R"({"success": true})"});
    CurlHttpTransport transport(certificates.caFile());
    HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(server->port()) + "/";
    EXPECT_FALSE(transport.send(request).ok());
    EXPECT_TRUE(server->requests().empty());
}

TEST_F(HttpsCrashUploadTest, ManagerSendsTwoCrashesInOrderWithTheSameTime) {
    auto server = serve({200, R"({"success": true})"});
    auto client = std::make_shared<CrashReportingAPIClient>(
        server->url(CrashReportingAPIClient::kPath),
        std::make_shared<CurlHttpTransport>(certificates.caFile()));

    fakes::FakeMainThreadDispatcher dispatcher;
    CrashReportingManager manager({client, std::make_shared<FixedDeviceID>(), [] { return true; },
                                   dispatcher, "3.1", [] { return "Linux test"; }});
    DiagnosticPayload payload;
    payload.timeStampEnd = std::chrono::system_clock::time_point(1700000000s);
    payload.crashDiagnostics = {{R"({"which": "first"})"}, {R"({"which": "second"})"}};
    manager.didReceive({payload});
    ASSERT_EQ(dispatcher.runPending(), 1u);

    auto requests = server->waitForRequests(2, 20s);
    ASSERT_EQ(requests.size(), 2u);
    const auto first = nlohmann::json::parse(requests[0].body);
    const auto second = nlohmann::json::parse(requests[1].body);
    EXPECT_EQ(first["diagnostic"]["which"], "first");
    EXPECT_EQ(second["diagnostic"]["which"], "second");
    EXPECT_EQ(first["occurred_at"], "2023-11-14T22:13:20Z");
    EXPECT_EQ(first["occurred_at"], second["occurred_at"]);
    EXPECT_EQ(first["device_id"], "FIXED-ID");
    EXPECT_EQ(first["app_version"], "3.1");
}

} // namespace
} // namespace tavrilux
