#include "core/services/CrashRecord.h"
#include "core/services/CrashReportingAPIClient.h"
#include "core/services/CrashReportingManager.h"
#include "core/services/HardwareDeviceIdentifierProvider.h"
#include "fakes/FakeCrashReportingAPIClient.h"
#include "fakes/FakeHttpTransport.h"
#include "fakes/FakeMainThreadDispatcher.h"
#include "fakes/FakePlatformIdentifiers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <future>
#include <regex>

namespace tavrilux {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

std::shared_ptr<UserDefaults> memoryDefaults() {
    return std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
}

class CountingIdentifier final : public DeviceIdentifierProviding {
public:
    std::string deviceID() const override {
        ++reads;
        return "DEVICE-1";
    }
    mutable std::atomic<int> reads{0};
};

DiagnosticPayload payloadAt(std::int64_t seconds, std::vector<std::string> diagnostics) {
    DiagnosticPayload payload;
    payload.timeStampEnd = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    for (auto& text : diagnostics) {
        payload.crashDiagnostics.push_back({std::move(text)});
    }
    return payload;
}

class CrashReportingManagerTest : public ::testing::Test {
protected:
    CrashReportingManager make(std::optional<std::string> version = "1.4.2") {
        return CrashReportingManager({client, identifier,
                                      [this] {
                                          ++asked;
                                          return enabled;
                                      },
                                      dispatcher, std::move(version), [] { return "Linux 6.1"; }});
    }
    std::shared_ptr<fakes::FakeCrashReportingAPIClient> client =
        std::make_shared<fakes::FakeCrashReportingAPIClient>();
    std::shared_ptr<CountingIdentifier> identifier = std::make_shared<CountingIdentifier>();
    fakes::FakeMainThreadDispatcher dispatcher;
    bool enabled = true;
    int asked = 0;
};

TEST_F(CrashReportingManagerTest, DeliveryWithoutCrashesStartsNothingAndReadsNoIdentifier) {
    auto manager = make();
    manager.didReceive({});
    manager.didReceive({payloadAt(10, {}), payloadAt(20, {})});
    EXPECT_EQ(dispatcher.dispatchedCount(), 0u);
    EXPECT_EQ(identifier->reads, 0);
}

TEST_F(CrashReportingManagerTest, SendsEveryCrashInOrderWithItsPayloadsTime) {
    auto manager = make();
    manager.didReceive({payloadAt(100, {R"({"n":1})", R"({"n":2})"}), payloadAt(200, {}),
                        payloadAt(300, {R"({"n":3})"})});
    EXPECT_EQ(identifier->reads, 1) << "read once, at delivery";
    EXPECT_TRUE(client->submitted().empty()) << "nothing before the setting has been asked";
    dispatcher.runPending();
    auto sent = client->submitted();
    std::vector<std::string> diagnostics;
    for (const auto& crash : sent) {
        diagnostics.push_back(crash.diagnostic);
        EXPECT_EQ(crash.deviceID, "DEVICE-1");
        EXPECT_EQ(crash.productID, "tavrilux");
        EXPECT_EQ(crash.appVersion, "1.4.2");
        EXPECT_EQ(crash.macosVersion, "Linux 6.1");
    }
    ASSERT_EQ(diagnostics, (std::vector<std::string>{R"({"n":1})", R"({"n":2})", R"({"n":3})"}));
    EXPECT_EQ(sent[0].occurredAt, sent[1].occurredAt);
    EXPECT_EQ(sent[2].occurredAt, std::chrono::system_clock::time_point(300s));
}

TEST_F(CrashReportingManagerTest, SettingIsAskedOncePerDeliveryBeforeItsFirstUpload) {
    auto manager = make();
    client->holdCompletions = true;
    manager.didReceive({payloadAt(1, {R"({"n":1})", R"({"n":2})", R"({"n":3})"})});
    EXPECT_EQ(asked, 0) << "asked on the main thread, not at delivery";
    dispatcher.runPending();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(client->submitted().size(), 1u) << "one upload at a time";

    enabled = false; // switched off while the delivery uploads: it goes on
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(client->completeNext());
    }
    EXPECT_FALSE(client->completeNext());
    EXPECT_EQ(client->submitted().size(), 3u);
    EXPECT_EQ(client->submitted()[2].diagnostic, R"({"n":3})");
    EXPECT_EQ(asked, 1);

    // The next delivery finds the setting off: it sends nothing but has read the identifier.
    manager.didReceive({payloadAt(2, {"{}"})});
    dispatcher.runPending();
    EXPECT_EQ(client->submitted().size(), 3u);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(identifier->reads, 2);
}

TEST_F(CrashReportingManagerTest, OneFailedUploadCostsOnlyItsCrashAndDevBuildsSayDev) {
    auto manager = make(std::nullopt);
    client->failSubmission(0);
    manager.didReceive({payloadAt(1, {R"({"a":1})", R"({"b":2})"})});
    dispatcher.runPending();
    auto sent = client->submitted();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].diagnostic, R"({"b":2})");
    EXPECT_EQ(sent[1].appVersion, "dev");
}

CrashSubmission sampleCrash(std::string diagnostic = R"({"signal":11,"callStack":[]})") {
    return {"DEV",
            "tavrilux",
            "1.0",
            "Linux",
            std::chrono::system_clock::time_point(1714566600s),
            std::move(diagnostic)};
}

TEST(CrashReportingAPIClientTest, BuildsTheRequestAndBodyWithUtcSecondTimes) {
    auto built = CrashReportingAPIClient::makeRequest("https://h/api/v1/crash-reports",
                                                      sampleCrash(), 60000ms);
    ASSERT_TRUE(std::holds_alternative<HttpRequest>(built));
    const auto& request = std::get<HttpRequest>(built);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.timeout, 60000ms);
    EXPECT_EQ(request.headers,
              (std::vector<std::pair<std::string, std::string>>{
                  {"Accept", "application/json"}, {"Content-Type", "application/json"}}));
    EXPECT_EQ(request.body.find('\n'), std::string::npos) << "written without pretty printing";
    // The diagnostic is embedded as a value, not as a string.
    EXPECT_EQ(json::parse(request.body), json::parse(R"({"device_id": "DEV",
        "product_id": "tavrilux", "app_version": "1.0", "macos_version": "Linux",
        "occurred_at": "2024-05-01T12:30:00Z", "diagnostic": {"signal": 11, "callStack": []}})"));

    for (const char* notADocument : {"{oops", "", "42", R"("text")", "null"}) {
        auto invalid =
            CrashReportingAPIClient::makeRequest("https://h", sampleCrash(notADocument), 1ms);
        ASSERT_TRUE(std::holds_alternative<CrashSubmitError>(invalid)) << notADocument;
        EXPECT_EQ(std::get<CrashSubmitError>(invalid).kind,
                  CrashSubmitError::Kind::invalidDiagnostic);
    }
    EXPECT_TRUE(std::holds_alternative<HttpRequest>(
        CrashReportingAPIClient::makeRequest("https://h", sampleCrash("[1, 2]"), 1ms)));

    using std::chrono::system_clock;
    EXPECT_EQ(CrashReportingAPIClient::formatOccurredAt(system_clock::time_point(0s)),
              "1970-01-01T00:00:00Z");
    EXPECT_EQ(
        CrashReportingAPIClient::formatOccurredAt(system_clock::time_point(951782400s) + 999ms),
        "2000-02-29T00:00:00Z");
}

TEST(CrashReportingAPIClientTest, ReadsEveryAnswerOfTheService) {
    EXPECT_FALSE(CrashReportingAPIClient::interpretAnswer(R"({"success": true})").has_value());
    EXPECT_FALSE(CrashReportingAPIClient::interpretAnswer(
                     R"({"success": true, "error": {"code":"W","message":"warn"}})")
                     .has_value());

    auto bare = CrashReportingAPIClient::interpretAnswer(R"({"success": false})");
    ASSERT_TRUE(bare && bare->serviceError);
    EXPECT_EQ(*bare->serviceError,
              (ServiceAPIError{"INVALID_RESPONSE",
                               "The crash reporting server returned an invalid response.",
                               std::nullopt}));

    auto withError = CrashReportingAPIClient::interpretAnswer(
        R"({"success": false, "error": {"code": "BAD_FIELD", "message": "m", "field": "device_id"}})");
    ASSERT_TRUE(withError && withError->serviceError);
    EXPECT_EQ(*withError->serviceError, (ServiceAPIError{"BAD_FIELD", "m", "device_id"}));

    for (const char* body : {"", "<html>", "[]", R"({"ok": true})", R"({"success": "yes"})",
                             R"({"success": false, "error": {"code": 1, "message": "m"}})",
                             R"({"success": false, "error": "boom"})"}) {
        auto error = CrashReportingAPIClient::interpretAnswer(body);
        ASSERT_TRUE(error.has_value()) << body;
        EXPECT_EQ(error->kind, CrashSubmitError::Kind::decoding) << body;
    }
}

TEST(CrashReportingAPIClientTest, RefusesEndpointsThatAreNotHttps) {
    auto transport = std::make_shared<fakes::FakeHttpTransport>();
    transport->answer(200, R"({"success": true})");
    CrashReportingAPIClient client("http://plain.test/api/v1/crash-reports", transport);
    std::promise<std::optional<CrashSubmitError>> done;
    client.submitCrash(sampleCrash(),
                       [&](std::optional<CrashSubmitError> error) { done.set_value(error); });
    auto error = done.get_future().get();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, CrashSubmitError::Kind::transport);
    EXPECT_TRUE(transport->requests().empty());
    EXPECT_EQ(CrashReportingAPIClient::endpointForHost("api.example.org"),
              "https://api.example.org/api/v1/crash-reports");
}

TEST(HardwareDeviceIdentifierTest, PrefersUuidThenSerialThenStoredFallback) {
    auto platform = std::make_shared<fakes::FakePlatformIdentifiers>();
    auto defaults = memoryDefaults();
    platform->values = {{"IOPlatformUUID", ""}, {"IOPlatformSerialNumber", "SER"}};
    HardwareDeviceIdentifierProvider provider(defaults, platform);
    EXPECT_EQ(provider.deviceID(), "") << "an empty UUID still counts as present";
    platform->values.erase("IOPlatformUUID");
    EXPECT_EQ(provider.deviceID(), "SER");
    EXPECT_FALSE(defaults->hasValue("device.fallbackIdentifier"));

    platform->values.clear();
    const auto first = provider.deviceID();
    EXPECT_TRUE(std::regex_match(
        first, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << first;
    EXPECT_EQ(defaults->stringValue("device.fallbackIdentifier"), first);
    HardwareDeviceIdentifierProvider nextLaunch(defaults, platform);
    EXPECT_EQ(nextLaunch.deviceID(), first);
    EXPECT_NE(HardwareDeviceIdentifierProvider::randomUUID(), first);
}

TEST(CrashRecordTest, ParsesACompleteRecordIntoAPayload) {
    const std::string text = "tavrilux-crash-record 1\n"
                             "signal 11\ncode 1\naddress 0x10\ntime 1714566600\npid 77\n"
                             "version 1.2.0\nfuture-key whatever\n"
                             "frame 0x401000 ./prog(crashNow+0x1c) [0x401000]\n"
                             "frame 0x402000\n"
                             "frame 0x403000 /home/alice/bin/tavrilux(_ZN4main+0x12) [0x403000]\n"
                             "frame 0x404000 /home/alice/my (x86)/libfoo.so(+0x1a) [0x404000]\n"
                             "frame 0x405000 [0x405000]\n"
                             "end\n";
    auto record = CrashRecord::parse(text);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->signal, 11);
    EXPECT_EQ(record->faultAddress, 0x10u);
    ASSERT_EQ(record->frames.size(), 5u);
    EXPECT_EQ(record->frames[0].symbol, "./prog(crashNow+0x1c) [0x401000]");
    const auto payload = record->payload();
    EXPECT_EQ(payload.timeStampEnd, std::chrono::system_clock::time_point(1714566600s));
    ASSERT_EQ(payload.crashDiagnostics.size(), 1u);
    const auto diagnostic = json::parse(payload.crashDiagnostics[0].jsonRepresentation);
    EXPECT_EQ(diagnostic["signalName"], "SIGSEGV");
    EXPECT_EQ(diagnostic["appVersion"], "1.2.0");
    EXPECT_EQ(diagnostic["callStack"][0]["address"], "0x401000");
    EXPECT_EQ(diagnostic["callStack"][0]["symbol"], "prog(crashNow+0x1c) [0x401000]");
    EXPECT_FALSE(diagnostic["callStack"][1].contains("symbol"));
    // Folders would carry the user's name: only file names are sent.
    EXPECT_EQ(diagnostic["callStack"][2]["symbol"], "tavrilux(_ZN4main+0x12) [0x403000]");
    EXPECT_EQ(diagnostic["callStack"][3]["symbol"], "libfoo.so(+0x1a) [0x404000]");
    EXPECT_EQ(diagnostic["callStack"][4]["symbol"], "[0x405000]");
}

TEST(CrashRecordTest, RejectsMalformedAndTruncatedRecords) {
    const std::string good = "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\nend\n";
    ASSERT_TRUE(CrashRecord::parse(good).has_value());
    const std::string bad[] = {
        "",
        "tavrilux-crash-record 2\nsignal 6\ntime 5\nversion dev\nend\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\nend",
        "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\nfra",
        "tavrilux-crash-record 1\nsignal x\ntime 5\nversion dev\nend\n",
        "tavrilux-crash-record 1\nsignal 6\nversion dev\nend\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 5\nend\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\nframe nothex\nend\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\nend\nsignal 7\n",
        "tavrilux-crash-record 1\nsignal 6\ntime -5\nversion dev\nend\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 9223372037\nversion dev\nend\n",
        "tavrilux-crash-record 1\nsignal 6\ntime 9223372036854775807\nversion dev\nend\n",
        good + std::string(CrashRecord::kMaxBytes, 'x'),
    };
    for (const auto& text : bad) {
        EXPECT_FALSE(CrashRecord::parse(text).has_value()) << text.substr(0, 120);
    }
    std::string manyFrames = "tavrilux-crash-record 1\nsignal 6\ntime 5\nversion dev\n";
    for (std::size_t i = 0; i <= CrashRecord::kMaxFrames; ++i) {
        manyFrames += "frame 0x1\n";
    }
    EXPECT_FALSE(CrashRecord::parse(manyFrames + "end\n").has_value());
}

TEST(CrashRecordTest, LatestTimeTheClockHoldsAndSymbolsThatAreNotUtf8AreAccepted) {
    auto latest = CrashRecord::parse(
        "tavrilux-crash-record 1\nsignal 6\ntime 9223372036\nversion dev\nend\n");
    ASSERT_TRUE(latest.has_value());
    EXPECT_EQ(CrashReportingAPIClient::formatOccurredAt(latest->payload().timeStampEnd),
              "2262-04-11T23:47:16Z");
    auto record = CrashRecord::parse("tavrilux-crash-record 1\nsignal 4\ntime 5\nversion dev\n"
                                     "frame 0x1 /lib/\xff\xfe.so\nend\n");
    ASSERT_TRUE(record.has_value());
    EXPECT_FALSE(json::parse(record->diagnosticJson(), nullptr, false).is_discarded());
}

} // namespace
} // namespace tavrilux
