#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrilux {

// Which shipped language best serves the user's preferred languages.
class LanguageChoice final {
public:
    // Reads an environment variable; nullptr when it is not set.
    using EnvironmentLookup = std::function<const char*(const char* name)>;

    // The user's preferred languages in order, as language tags ("fr-CA", "en"): the entries of
    // LANGUAGE (colon-separated), then LC_ALL, LC_MESSAGES and LANG. POSIX locale names are turned
    // into tags (fr_CA.UTF-8@euro gives fr-CA); "C", "POSIX" and empty values say nothing and are
    // left out, and so are repeats.
    static std::vector<std::string>
    preferredLanguagesFromEnvironment(const EnvironmentLookup& getenv);

    // The shipped language to use, or nothing when none of them serves any preference. For each
    // preference in turn: a shipped language equal to it (case and '_'/'-' ignored); else one equal
    // to it with trailing subtags dropped (fr-CA finds fr); else the first shipped regional variant
    // of its language (pt finds pt-BR).
    static std::optional<std::string>
    preferredLocalization(const std::vector<std::string>& available,
                          const std::vector<std::string>& preferences);

    // Lower-case tag with '-' separators and without encoding or modifier; empty for "C"/"POSIX".
    static std::string normalizedTag(std::string_view name);
};

} // namespace tavrilux
