#include "core/services/XdgAutostartLoginService.h"

#include "core/services/Utf8.h"

#include <vector>

namespace tavrilux {

namespace {

// The value of a string key: \s \n \t \r \\ stand for their characters.
std::string unescapeValue(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out.push_back(raw[i]);
            continue;
        }
        const char next = raw[++i];
        switch (next) {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case '\\':
            out.push_back('\\');
            break;
        default:
            out.push_back('\\');
            out.push_back(next);
        }
    }
    return out;
}

// The program of an Exec line (its first argument), after quoting and %% are undone.
std::optional<std::string> execProgram(std::string_view exec) {
    std::size_t i = 0;
    while (i < exec.size() && exec[i] == ' ') {
        ++i;
    }
    std::string program;
    bool quoted = false;
    for (; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                program.push_back(exec[++i]);
            } else if (c == '%') {
                if (i + 1 >= exec.size() || exec[i + 1] != '%') {
                    return std::nullopt;
                }
                program.push_back('%');
                ++i;
            } else {
                program.push_back(c);
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == ' ') {
            break;
        } else if (c == '%') {
            if (i + 1 < exec.size() && exec[i + 1] == '%') {
                program.push_back('%');
                ++i;
            } else {
                return std::nullopt; // a field code cannot be part of the program's name
            }
        } else {
            program.push_back(c);
        }
    }
    if (quoted || program.empty()) {
        return std::nullopt;
    }
    return program;
}

} // namespace

XdgAutostartLoginService::XdgAutostartLoginService(FileSystem& files,
                                                   std::filesystem::path autostartFolder,
                                                   std::optional<std::filesystem::path> executable,
                                                   std::string entryFileName)
    : files_(files), folder_(std::move(autostartFolder)), executable_(std::move(executable)),
      entryFileName_(std::move(entryFileName)) {}

Result<std::string> XdgAutostartLoginService::entryText(const std::string& executable) {
    auto codePoints = utf8::decode(executable);
    if (!codePoints || executable.empty()) {
        return ServiceFailure{"the executable's path is not UTF-8 text"};
    }
    std::string quoted = "\"";
    for (char32_t cp : *codePoints) {
        if (cp < 0x20 || cp == 0x7F) {
            return ServiceFailure{"the executable's path holds control characters"};
        }
        switch (cp) {
        case U'"':
        case U'`':
        case U'$':
            // The quoting's backslash is itself escaped for the string value: a lone "\$" is
            // not a valid string escape, and strict readers reject the entry.
            quoted += "\\\\";
            quoted += static_cast<char>(cp);
            break;
        case U'\\':
            // Escaped once for the quoting and once more for the string value.
            quoted += "\\\\\\\\";
            break;
        case U'%':
            quoted += "%%";
            break;
        default:
            utf8::append(quoted, cp);
        }
    }
    quoted += '"';
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tavrilux\n"
           "Exec=" +
           quoted +
           "\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool XdgAutostartLoginService::entryLaunches(std::string_view text, const std::string& executable) {
    bool inMainGroup = false;
    bool sawMainGroup = false;
    std::optional<std::string> type;
    std::optional<std::string> exec;
    bool hidden = false;
    bool switchedOff = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            return false; // not a desktop entry
        }
        auto key = line.substr(0, eq);
        auto value = line.substr(eq + 1);
        while (!key.empty() && key.back() == ' ') {
            key.remove_suffix(1);
        }
        while (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);
        }
        if (key == "Type") {
            type = unescapeValue(value);
        } else if (key == "Exec") {
            exec = unescapeValue(value);
        } else if (key == "Hidden") {
            hidden = value == "true";
        } else if (key == "X-GNOME-Autostart-enabled") {
            switchedOff = value == "false";
        }
    }
    if (!sawMainGroup || type != "Application" || !exec || hidden || switchedOff) {
        return false;
    }
    auto program = execProgram(*exec);
    return program && *program == executable;
}

LoginItemStatus XdgAutostartLoginService::status() const {
    if (!executable_) {
        return LoginItemStatus::notFound;
    }
    auto text = files_.readFile(entryPath(), kMaxEntryBytes);
    if (!text) {
        return LoginItemStatus::notRegistered;
    }
    return entryLaunches(*text, executable_->string()) ? LoginItemStatus::enabled
                                                       : LoginItemStatus::notRegistered;
}

std::optional<ServiceFailure> XdgAutostartLoginService::registerApp() {
    if (!executable_) {
        return ServiceFailure{"Unable to locate the Tavrilux executable."};
    }
    auto text = entryText(executable_->string());
    if (!text.ok()) {
        return text.failure();
    }
    if (auto failure = files_.createDirectories(folder_)) {
        return failure;
    }
    return files_.writeFileAtomically(entryPath(), text.value());
}

std::optional<ServiceFailure> XdgAutostartLoginService::unregisterApp() {
    return files_.removeFile(entryPath());
}

} // namespace tavrilux
