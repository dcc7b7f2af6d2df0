#include "core/localization/LanguageChoice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tavrilux {
namespace {

using Strings = std::vector<std::string>;

Strings fromEnvironment(const std::map<std::string, std::string>& env) {
    return LanguageChoice::preferredLanguagesFromEnvironment([&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    });
}

TEST(LanguageChoiceTest, ReadsLanguageListThenLocaleVariablesInOrder) {
    EXPECT_EQ(fromEnvironment({{"LANGUAGE", "fr_CA:de::en"},
                               {"LC_ALL", "es_ES.UTF-8"},
                               {"LC_MESSAGES", "it_IT@euro"},
                               {"LANG", "de_DE.UTF-8"}}),
              (Strings{"fr-ca", "de", "en", "es-es", "it-it", "de-de"}));
}

TEST(LanguageChoiceTest, LeavesOutPosixLocalesEmptyValuesAndRepeats) {
    EXPECT_EQ(fromEnvironment({{"LANG", "C.UTF-8"}, {"LC_ALL", ""}}), Strings{});
    EXPECT_EQ(fromEnvironment({{"LANGUAGE", "en:en_US"}, {"LC_MESSAGES", "POSIX"}, {"LANG", "en"}}),
              (Strings{"en", "en-us"}));
    EXPECT_EQ(fromEnvironment({}), Strings{});
}

constexpr auto pick = &LanguageChoice::preferredLocalization;

TEST(LanguageChoiceTest, PicksTheShippedLanguageThatServesTheEarliestPreference) {
    EXPECT_EQ(pick({"de", "en", "fr"}, {"fr-FR", "en"}), "fr");
    EXPECT_EQ(pick({"en", "fr"}, {"ja", "fr-CA", "en"}), "fr");
    EXPECT_EQ(pick({"en", "fr"}, {"en-GB", "fr"}), "en");
    // Case and separator do not matter; the shipped spelling is kept.
    EXPECT_EQ(pick({"en", "pt_BR", "zh-Hant"}, {"pt-br"}), "pt_BR");
    EXPECT_EQ(pick({"en", "zh-Hant"}, {"zh_Hant_TW"}), "zh-Hant");
    EXPECT_EQ(pick({"en", "pt-BR"}, {"pt"}), "pt-BR");
}

TEST(LanguageChoiceTest, NothingWhenNoShippedLanguageServes) {
    EXPECT_EQ(pick({"en", "fr"}, {"ja", "ko-KR"}), std::nullopt);
    EXPECT_EQ(pick({"en", "fr"}, {}), std::nullopt);
    EXPECT_EQ(pick({}, {"en"}), std::nullopt);
    // "e" is a prefix of "en" by characters but not a language.
    EXPECT_EQ(pick({"en"}, {"e"}), std::nullopt);
}

} // namespace
} // namespace tavrilux
