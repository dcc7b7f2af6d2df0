#include "core/localization/LanguageChoice.h"

#include <algorithm>

namespace tavrilux {

namespace {

std::string languageOf(const std::string& tag) {
    return tag.substr(0, tag.find('-'));
}

void addPreference(std::vector<std::string>& out, std::string_view name) {
    std::string tag = LanguageChoice::normalizedTag(name);
    if (!tag.empty() && std::find(out.begin(), out.end(), tag) == out.end()) {
        out.push_back(std::move(tag));
    }
}

} // namespace

std::string LanguageChoice::normalizedTag(std::string_view name) {
    // Drop ".codeset" and "@modifier" of a POSIX locale name.
    name = name.substr(0, name.find_first_of(".@"));
    if (name == "C" || name == "POSIX") {
        return {};
    }
    std::string tag;
    tag.reserve(name.size());
    for (char c : name) {
        if (c == '_') {
            c = '-';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        tag += c;
    }
    return tag;
}

std::vector<std::string>
LanguageChoice::preferredLanguagesFromEnvironment(const EnvironmentLookup& getenv) {
    std::vector<std::string> out;
    if (const char* list = getenv("LANGUAGE")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            addPreference(out, rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = getenv(name)) {
            addPreference(out, value);
        }
    }
    return out;
}

std::optional<std::string>
LanguageChoice::preferredLocalization(const std::vector<std::string>& available,
                                      const std::vector<std::string>& preferences) {
    std::vector<std::string> shipped;
    shipped.reserve(available.size());
    for (const auto& code : available) {
        shipped.push_back(normalizedTag(code));
    }
    auto findShipped = [&](const std::string& tag) -> std::optional<std::string> {
        for (std::size_t i = 0; i < shipped.size(); ++i) {
            if (!tag.empty() && shipped[i] == tag) {
                return available[i];
            }
        }
        return std::nullopt;
    };
    for (const auto& raw : preferences) {
        std::string tag = normalizedTag(raw);
        if (tag.empty()) {
            continue;
        }
        for (std::string prefix = tag;;) {
            if (auto match = findShipped(prefix)) {
                return match;
            }
            const std::size_t dash = prefix.rfind('-');
            if (dash == std::string::npos) {
                break;
            }
            prefix.resize(dash);
        }
        const std::string language = languageOf(tag);
        for (std::size_t i = 0; i < shipped.size(); ++i) {
            if (languageOf(shipped[i]) == language) {
                return available[i];
            }
        }
    }
    return std::nullopt;
}

} // namespace tavrilux
