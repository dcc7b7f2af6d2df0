#include "core/localization/StringsFileParser.h"
#include "platform/linux/DirectoryResourceBundle.h"
#include "platform/linux/FileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace tavrilux::linux_platform {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = TAVRILUX_SOURCE_DIR;
const fs::path kBundle = kSourceDir / "resources" / "Tavrilux_Tavrilux.bundle";

// Keys handed to the lookup as literals: L("key") and localizationKey("key").
std::set<std::string> keysLookedUpIn(const std::string& source) {
    static const std::regex lookup(R"re(\b(?:L|localizationKey)\(\s*"([^"\\]*)"\s*\))re");
    std::set<std::string> keys;
    for (std::sregex_iterator it(source.begin(), source.end(), lookup), end; it != end; ++it) {
        keys.insert((*it)[1].str());
    }
    return keys;
}

std::set<std::string> keysLookedUpInSources() {
    std::set<std::string> keys;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / "src")) {
        const auto extension = entry.path().extension();
        if (entry.is_regular_file() && (extension == ".h" || extension == ".cpp")) {
            auto text = readFileText(entry.path());
            EXPECT_TRUE(text) << entry.path();
            if (text) {
                keys.merge(keysLookedUpIn(*text));
            }
        }
    }
    return keys;
}

StringTable shippedTable(const std::string& code) {
    DirectoryResourceBundle bundle(kBundle);
    auto text = bundle.readFile(code + ".lproj/Localizable.strings");
    if (!text) {
        ADD_FAILURE() << code << " ships no table";
        return {};
    }
    auto result = StringsFileParser::parse(*text);
    if (auto* error = std::get_if<StringsParseError>(&result)) {
        ADD_FAILURE() << code << ".lproj/Localizable.strings:" << error->line << ": "
                      << error->message;
        return {};
    }
    return std::get<StringTable>(std::move(result));
}

// "%@", "%lld", "%%" ... in order of appearance.
std::vector<std::string> placeholders(const std::string& text) {
    static const std::regex format(R"re(%(?:%|[0-9$]*[lhqz]*[@dDuUxXoOfeEgGcCsSpaAF]))re");
    std::vector<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), format), end; it != end; ++it) {
        found.push_back(it->str());
    }
    return found;
}

// Every other language is held to English's keys below.
TEST(ShippedStringTablesTest, EveryKeyLookedUpInTheSourcesHasAnEnglishEntry) {
    const auto keys = keysLookedUpInSources();
    // The modes' and tabs' keys are looked up in the core; an empty scan would prove nothing.
    for (const char* known : {"focus_mode_custom", "effect_aura", "settings_tab_about"}) {
        EXPECT_EQ(keys.count(known), 1u) << known;
    }
    const StringTable english = shippedTable("en");
    for (const auto& key : keys) {
        EXPECT_TRUE(english.contains(key)) << key;
    }
}

TEST(ShippedStringTablesTest, EveryLanguageIsCompleteAndKeepsThePlaceholders) {
    const StringTable english = shippedTable("en");
    ASSERT_FALSE(english.empty());
    for (const auto& code : DirectoryResourceBundle(kBundle).localizations()) {
        SCOPED_TRACE(code);
        const StringTable table = shippedTable(code);
        for (const auto& [key, text] : table.entries()) {
            EXPECT_TRUE(english.contains(key)) << key << ", which English does not have";
            EXPECT_FALSE(text.empty()) << key;
        }
        for (const auto& [key, text] : english.entries()) {
            const auto* translated = table.find(key);
            if (!translated) {
                ADD_FAILURE() << "missing " << key;
                continue;
            }
            EXPECT_EQ(placeholders(*translated), placeholders(text)) << key;
        }
    }
}

// A translation left in English reads as if the language fell back. Only these words stay as
// they are: names (the product, the modes, keys on the keyboard) and words the language shares
// with English.
TEST(ShippedStringTablesTest, EveryLanguageTranslatesItsTextsButTheWordsItKeeps) {
    const std::set<std::string> everywhere{"Tavrilux", "Aura", "Alt", "Super", "O", "OK"};
    const std::map<std::string, std::set<std::string>> kept{
        {"de", {"Flow", "Browser", "Updates", "Version", "Orange", "Cyan", "Fuchsia", "Neutral"}},
        {"fr", {"Exclusions", "Grain", "Notes", "Active", "Version", "Orange", "Cyan", "Fuchsia"}},
        {"es", {"General"}},
    };
    // The words of a text: without its placeholders and the blanks around them.
    const auto words = [](const std::string& text) {
        static const std::regex placeholder(
            R"re(\s*%(?:%|[0-9$]*[lhqz]*[@dDuUxXoOfeEgGcCsSpaAF])\s*)re");
        return std::regex_replace(text, placeholder, "");
    };
    const StringTable english = shippedTable("en");
    ASSERT_FALSE(english.empty());
    for (const auto& [code, itsOwn] : kept) {
        SCOPED_TRACE(code);
        const StringTable table = shippedTable(code);
        ASSERT_FALSE(table.empty());
        for (const auto& [key, text] : english.entries()) {
            const auto* translated = table.find(key);
            const std::string same = words(text);
            if (translated && *translated == text && !same.empty()) {
                EXPECT_TRUE(everywhere.contains(same) || itsOwn.contains(same))
                    << key << " is left in English: \"" << text << '"';
            }
        }
    }
}

} // namespace
} // namespace tavrilux::linux_platform
