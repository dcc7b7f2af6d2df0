#include "core/defaults/UserDefaults.h"
#include "fakes/FakeDomainStorage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrilux {
namespace {

using fakes::FakeDomainStorage;
using nlohmann::json;

struct Domain {
    std::shared_ptr<FakeDomainStorage::State> state = std::make_shared<FakeDomainStorage::State>();
    std::unique_ptr<UserDefaults> defaults;

    explicit Domain(std::optional<std::string> text = std::nullopt) {
        state->text = std::move(text);
        defaults = std::make_unique<UserDefaults>(std::make_unique<FakeDomainStorage>(state));
    }
    json storedJson() const { return json::parse(state->stored().value_or("null")); }
};

TEST(UserDefaultsTest, BooleanReadsAcceptOnlyBooleansAndExactZeroOrOne) {
    Domain d(R"({"t": true, "f": false, "one": 1, "zero": 0.0, "two": 2, "half": 0.5,
                 "text": "true", "list": [true]})");
    auto& u = *d.defaults;
    EXPECT_EQ(u.boolValue("t"), true);
    EXPECT_EQ(u.boolValue("f"), false);
    EXPECT_EQ(u.boolValue("one"), true);
    EXPECT_EQ(u.boolValue("zero"), false);
    EXPECT_EQ(u.boolValue("two"), std::nullopt);
    EXPECT_EQ(u.boolValue("half"), std::nullopt);
    EXPECT_EQ(u.boolValue("text"), std::nullopt);
    EXPECT_EQ(u.boolValue("list"), std::nullopt);
    EXPECT_EQ(u.boolValue("missing"), std::nullopt);
    EXPECT_TRUE(u.hasValue("text")) << "a mistyped value still counts as a value";
}

TEST(UserDefaultsTest, NumberReadsAcceptOnlyExactlyRepresentableNumbers) {
    Domain d(R"({"int": 3, "neg": -7, "float": 0.25, "big": 9007199254740993,
                 "pow": 9007199254740992, "bool": true, "text": "0.7"})");
    auto& u = *d.defaults;
    EXPECT_EQ(u.doubleValue("int"), 3.0);
    EXPECT_EQ(u.doubleValue("neg"), -7.0);
    EXPECT_EQ(u.doubleValue("float"), 0.25);
    EXPECT_EQ(u.doubleValue("big"), std::nullopt) << "2^53 + 1 has no exact double";
    EXPECT_EQ(u.doubleValue("pow"), 9007199254740992.0);
    EXPECT_EQ(u.doubleValue("bool"), std::nullopt);
    EXPECT_EQ(u.doubleValue("text"), std::nullopt) << "a text that spells a number is no number";
}

TEST(UserDefaultsTest, StringReadsTurnNumbersIntoTextAndArraysNeedOnlyStrings) {
    Domain d(R"({"s": "en", "int": 42, "float": 0.5, "whole": 3.0, "bool": false, "list": ["a"],
                 "ok": ["a", "b", "a"], "empty": [], "mixed": ["a", 1]})");
    auto& u = *d.defaults;
    EXPECT_EQ(u.stringValue("s"), "en");
    EXPECT_EQ(u.stringValue("int"), "42");
    EXPECT_EQ(u.stringValue("float"), "0.5");
    EXPECT_EQ(u.stringValue("whole"), "3");
    EXPECT_EQ(u.stringValue("bool"), std::nullopt);
    EXPECT_EQ(u.stringValue("list"), std::nullopt);
    EXPECT_EQ(u.stringArrayValue("ok"), (std::vector<std::string>{"a", "b", "a"}));
    EXPECT_EQ(u.stringArrayValue("empty"), std::vector<std::string>{});
    EXPECT_EQ(u.stringArrayValue("mixed"), std::nullopt);
    EXPECT_EQ(u.stringArrayValue("s"), std::nullopt);
}

TEST(UserDefaultsTest, MistypedAndUnknownValuesStayStoredUntilTheirKeyIsWritten) {
    Domain d(R"({"dimming.blurIntensity": "0.7", "someone.else": {"nested": [1, 2]}})");
    auto& u = *d.defaults;
    u.setBool("dimming.isEnabled", true);
    u.flush();
    auto stored = d.storedJson();
    EXPECT_EQ(stored["dimming.blurIntensity"], "0.7");
    EXPECT_EQ(stored["someone.else"], json::parse(R"({"nested": [1, 2]})"));
    EXPECT_EQ(stored["dimming.isEnabled"], true);

    u.setDouble("dimming.blurIntensity", 0.3);
    u.flush();
    EXPECT_EQ(d.storedJson()["dimming.blurIntensity"], 0.3);
    EXPECT_TRUE(d.storedJson().contains("someone.else"));
}

TEST(UserDefaultsTest, NonFiniteNumbersReadBackAsAbsent) {
    Domain d;
    auto& u = *d.defaults;
    u.setDouble("nan", std::numeric_limits<double>::quiet_NaN());
    u.setDouble("inf", std::numeric_limits<double>::infinity());
    u.setDouble("fine", 0.5);
    EXPECT_FALSE(u.hasValue("nan"));
    EXPECT_EQ(u.doubleValue("nan"), std::nullopt);
    EXPECT_EQ(u.doubleValue("inf"), std::nullopt);
    u.flush();

    Domain reopened(d.state->stored());
    EXPECT_FALSE(reopened.defaults->hasValue("nan"));
    EXPECT_EQ(reopened.defaults->doubleValue("inf"), std::nullopt);
    EXPECT_EQ(reopened.defaults->doubleValue("fine"), 0.5);
}

TEST(UserDefaultsTest, UnreadableTextIsSetAsideBeforeAnythingIsStored) {
    for (const char* text : {"{\"dimming.isEnabled\": tru", "[1, 2]", "\"text\"", ""}) {
        Domain d{std::string(text)};
        EXPECT_FALSE(d.defaults->hasValue("dimming.isEnabled")) << text;
        d.defaults->setBool("dimming.isEnabled", false);
        d.defaults->flush();
        std::lock_guard lock(d.state->mutex);
        EXPECT_EQ(d.state->calls, (std::vector<std::string>{"load", "setAside", "store"})) << text;
        EXPECT_EQ(d.state->asideText, std::string(text));
        EXPECT_EQ(json::parse(*d.state->text), json::parse(R"({"dimming.isEnabled": false})"));
    }
}

TEST(UserDefaultsTest, NestingUpToTheLimitIsKeptAndWrittenAboutAsLargeAsItWas) {
    const auto nested = [](int depth) {
        return "{\"x\": " + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}";
    };
    Domain atLimit(nested(64));
    atLimit.defaults->setBool("k", true);
    atLimit.defaults->flush();
    const std::string stored = atLimit.state->stored().value_or("");
    EXPECT_EQ(json::parse(stored)["x"], json::parse(nested(64))["x"]);
    EXPECT_LT(stored.size(), 2 * nested(64).size()) << stored;

    Domain beyond(nested(65));
    EXPECT_FALSE(beyond.defaults->hasValue("x"));
    std::lock_guard lock(beyond.state->mutex);
    EXPECT_EQ(beyond.state->calls, (std::vector<std::string>{"load", "setAside"}));
}

TEST(UserDefaultsTest, TextThatCannotBeSetAsideIsNeverOverwritten) {
    auto state = std::make_shared<FakeDomainStorage::State>();
    state->text = "{\"dimming.isEnabled\": tru";
    state->failSetAside = true;
    testing::internal::CaptureStderr();
    {
        UserDefaults u(std::make_unique<FakeDomainStorage>(state));
        u.setBool("dimming.isEnabled", false);
        u.remove("dimming.isEnabled");
        u.setDouble("dimming.blurIntensity", 0.4);
        u.flush();
        EXPECT_EQ(u.doubleValue("dimming.blurIntensity"), 0.4) << "the run goes on in memory";
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot be set aside (refused by the test)"), std::string::npos)
        << errors;
    std::lock_guard lock(state->mutex);
    EXPECT_EQ(state->calls, (std::vector<std::string>{"load", "setAside"}));
    EXPECT_EQ(state->text, "{\"dimming.isEnabled\": tru");
}

TEST(UserDefaultsTest, WriteIsStoredWithoutAnyFlush) {
    Domain d;
    d.defaults->setString("app.languageOverride", "fr");
    // Not a timing check: a lost wake-up would leave the write unstored for good.
    ASSERT_TRUE(d.state->waitForStore(0, std::chrono::seconds(10)));
    EXPECT_EQ(d.storedJson()["app.languageOverride"], "fr");
}

TEST(UserDefaultsTest, RemoveDeletesTheKeyAndRemovingAnAbsentKeyStoresNothing) {
    Domain d(R"({"app.languageOverride": "de"})");
    auto& u = *d.defaults;
    u.remove("missing");
    u.flush();
    EXPECT_EQ(u.storeCount(), 0u);
    u.remove("app.languageOverride");
    u.flush();
    EXPECT_EQ(d.storedJson(), json::object());
}

} // namespace
} // namespace tavrilux
