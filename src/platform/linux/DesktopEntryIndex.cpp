#include "platform/linux/DesktopEntryIndex.h"

#include "platform/linux/XdgPaths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace tavrilux::linux_platform {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trim(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

struct ParsedEntry {
    std::string name;
    std::string icon;
    std::string startupWMClass;
    bool hidden = false;
    bool isApplication = false;
};

// Reads the [Desktop Entry] group only; unlocalised keys.
ParsedEntry parse(const fs::path& file) {
    ParsedEntry entry;
    std::ifstream in(file);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto eq = line.find('=');
        if (!inMainGroup || eq == std::string::npos) {
            continue;
        }
        const std::string key = trim(line.substr(0, eq));
        const std::string value = trim(line.substr(eq + 1));
        if (key == "Name") {
            entry.name = value;
        } else if (key == "Icon") {
            entry.icon = value;
        } else if (key == "StartupWMClass") {
            entry.startupWMClass = value;
        } else if (key == "Type") {
            entry.isApplication = value == "Application";
        } else if (key == "Hidden") {
            // A deleted entry; NoDisplay entries still name their windows' application.
            entry.hidden = value == "true";
        }
    }
    return entry;
}

std::string resolveIcon(const std::string& icon, const std::vector<fs::path>& dataDirs) {
    if (icon.empty()) {
        return {};
    }
    std::error_code ec;
    if (fs::path(icon).is_absolute()) {
        return fs::exists(icon, ec) ? icon : std::string();
    }
    static const char* const sizes[] = {"scalable", "256x256", "128x128",
                                        "64x64",    "48x48",   "32x32"};
    for (const auto& dir : dataDirs) {
        for (const char* size : sizes) {
            for (const char* ext : {".svg", ".png"}) {
                const auto candidate = dir / "icons" / "hicolor" / size / "apps" / (icon + ext);
                if (fs::exists(candidate, ec)) {
                    return candidate.string();
                }
            }
        }
        for (const char* ext : {".svg", ".png", ".xpm"}) {
            const auto candidate = dir / "pixmaps" / (icon + ext);
            if (fs::exists(candidate, ec)) {
                return candidate.string();
            }
        }
    }
    return {};
}

} // namespace

std::vector<fs::path> DesktopEntryIndex::defaultDataDirs() {
    std::vector<fs::path> dirs{XdgPaths::dataHome()};
    const char* env = std::getenv("XDG_DATA_DIRS");
    std::string list = (env != nullptr && *env != '\0') ? env : "/usr/local/share:/usr/share";
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ':')) {
        if (!item.empty() && fs::path(item).is_absolute()) {
            dirs.emplace_back(item);
        }
    }
    return dirs;
}

DesktopEntryIndex::DesktopEntryIndex(std::vector<fs::path> dataDirs)
    : dataDirs_(std::move(dataDirs)) {}

void DesktopEntryIndex::load() const {
    loaded_ = true;
    std::error_code ec;
    std::set<std::string> seenIds;
    for (const auto& dir : dataDirs_) {
        const fs::path root = dir / "applications";
        if (!fs::is_directory(root, ec)) {
            continue;
        }
        for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (!it->is_regular_file(ec) || it->path().extension() != ".desktop") {
                continue;
            }
            // The id is the path as listed: entries are often links into a package's own tree
            // (Flatpak exports), and resolving them would name the target instead.
            std::string id = it->path().lexically_relative(root).replace_extension().string();
            if (id.empty()) {
                continue;
            }
            std::replace(id.begin(), id.end(), '/', '-');
            // An earlier directory's entry of the same id hides the later one, also when it is
            // deleted (Hidden) or no application: that is how a user takes a system entry away.
            if (!seenIds.insert(lower(id)).second) {
                continue;
            }
            const auto parsed = parse(it->path());
            if (!parsed.isApplication || parsed.hidden) {
                continue;
            }
            const std::size_t index = entries_.size();
            entries_.push_back(Entry{id, parsed.name.empty() ? id : parsed.name,
                                     resolveIcon(parsed.icon, dataDirs_)});
            byLowerId_.emplace(lower(id), index);
            if (!parsed.startupWMClass.empty()) {
                byStartupClass_.emplace(parsed.startupWMClass, index);
            }
        }
    }
}

const DesktopEntryIndex::Entry* DesktopEntryIndex::find(const std::string& instance,
                                                        const std::string& windowClass) const {
    if (!loaded_) {
        load();
    }
    for (const auto* key : {&windowClass, &instance}) {
        if (auto it = byStartupClass_.find(*key); !key->empty() && it != byStartupClass_.end()) {
            return &entries_[it->second];
        }
    }
    for (const auto* key : {&windowClass, &instance}) {
        if (auto it = byLowerId_.find(lower(*key)); !key->empty() && it != byLowerId_.end()) {
            return &entries_[it->second];
        }
    }
    return nullptr;
}

} // namespace tavrilux::linux_platform
