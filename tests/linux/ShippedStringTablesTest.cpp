#include "core/localization/StringsFileParser.h"
#include "platform/linux/DirectoryResourceBundle.h"
#include "platform/linux/FileText.h"

#include <gtest/gtest.h>

#include <filesystem>
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

std::vector<std::string> missingKeys(const std::set<std::string>& keys, const StringTable& table) {
    std::vector<std::string> missing;
    for (const auto& key : keys) {
        if (!table.contains(key)) {
            missing.push_back(key);
        }
    }
    return missing;
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

TEST(ShippedStringTablesTest, EnglishGermanAndFrenchAreShipped) {
    const auto codes = DirectoryResourceBundle(kBundle).localizations();
    for (const char* code : {"en", "de", "fr"}) {
        EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << code;
    }
}

TEST(ShippedStringTablesTest, EveryKeyLookedUpInTheSourcesHasAnEntryInEveryTable) {
    const auto keys = keysLookedUpInSources();
    // The modes' and tabs' keys are looked up in the core; an empty scan would prove nothing.
    for (const char* known : {"focus_mode_custom", "effect_aura", "settings_tab_about"}) {
        EXPECT_EQ(keys.count(known), 1u) << known;
    }
    for (const auto& code : DirectoryResourceBundle(kBundle).localizations()) {
        EXPECT_EQ(missingKeys(keys, shippedTable(code)), std::vector<std::string>{}) << code;
    }
}

TEST(ShippedStringTablesTest, EveryLanguageIsCompleteAndKeepsThePlaceholders) {
    const StringTable english = shippedTable("en");
    ASSERT_FALSE(english.empty());
    for (const auto& code : DirectoryResourceBundle(kBundle).localizations()) {
        SCOPED_TRACE(code);
        const StringTable table = shippedTable(code);
        std::set<std::string> extra;
        for (const auto& [key, text] : table.entries()) {
            if (!english.contains(key)) {
                extra.insert(key);
            }
            EXPECT_FALSE(text.empty()) << key;
        }
        EXPECT_EQ(extra, std::set<std::string>{}) << "keys English does not have";
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

} // namespace
} // namespace tavrilux::linux_platform
