#include "core/defaults/DomainText.h"

#include <algorithm>

namespace tavrilux {

namespace {

using nlohmann::json;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Checks JSON syntax without building anything; the first fault is kept in `failure`.
class Scanner {
public:
    explicit Scanner(std::string_view text) : s_(text) {
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") {
            pos_ = 3; // a byte-order mark some editors write
        }
    }

    std::size_t position() const { return pos_; }
    const std::string& failure() const { return failure_; }
    bool atEnd() const { return pos_ >= s_.size(); }
    bool at(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
    void skip() { ++pos_; }

    void skipSpace() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool syntaxError() {
        return fail(atEnd() ? "is cut short at byte " + std::to_string(s_.size())
                            : "has a syntax error at byte " + std::to_string(pos_ + 1));
    }

    bool string() {
        if (!at('"')) {
            return syntaxError();
        }
        for (++pos_; !atEnd(); ++pos_) {
            const auto c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) {
                return syntaxError();
            }
            if (c != '\\') {
                continue;
            }
            ++pos_;
            if (at('u')) {
                for (int k = 0; k < 4; ++k) {
                    ++pos_;
                    if (atEnd() || !isHexDigit(s_[pos_])) {
                        return syntaxError();
                    }
                }
            } else if (atEnd() ||
                       std::string_view("\"\\/bfnrt").find(s_[pos_]) == std::string_view::npos) {
                return syntaxError();
            }
        }
        return syntaxError();
    }

    // One value, containers and all, `depth` levels inside the text's containers.
    bool value(std::size_t depth) {
        std::vector<char> closers; // of the containers open inside this value
        for (;;) {
            skipSpace();
            bool complete = true;
            if (at('{') || at('[')) {
                if (depth + closers.size() + 1 > DomainText::kMaxDepth) {
                    return fail("nests deeper than " + std::to_string(DomainText::kMaxDepth) +
                                " levels");
                }
                closers.push_back(at('{') ? '}' : ']');
                ++pos_;
                skipSpace();
                if (at(closers.back())) {
                    ++pos_;
                    closers.pop_back();
                } else if (closers.back() == '}' && !memberName()) {
                    return false;
                } else {
                    complete = false;
                }
            } else if (!scalar()) {
                return false;
            }
            while (complete) {
                if (closers.empty()) {
                    return true;
                }
                skipSpace();
                if (at(',')) {
                    ++pos_;
                    if (closers.back() == '}' && !memberName()) {
                        return false;
                    }
                    complete = false;
                } else if (at(closers.back())) {
                    ++pos_;
                    closers.pop_back();
                } else {
                    return syntaxError();
                }
            }
        }
    }

    // `"name" :` ahead of a member's value.
    bool memberName() {
        skipSpace();
        if (!string()) {
            return false;
        }
        skipSpace();
        if (!at(':')) {
            return syntaxError();
        }
        ++pos_;
        return true;
    }

    bool fail(std::string why) {
        if (failure_.empty()) {
            failure_ = std::move(why);
        }
        return false;
    }

private:
    bool scalar() {
        if (at('"')) {
            return string();
        }
        if (at('t')) {
            return literal("true");
        }
        if (at('f')) {
            return literal("false");
        }
        if (at('n')) {
            return literal("null");
        }
        return number();
    }

    bool literal(std::string_view word) {
        for (char c : word) {
            if (!at(c)) {
                return syntaxError();
            }
            ++pos_;
        }
        return true;
    }

    bool digits() {
        const std::size_t start = pos_;
        while (!atEnd() && isDigit(s_[pos_])) {
            ++pos_;
        }
        return pos_ > start || syntaxError();
    }

    bool number() {
        if (at('-')) {
            ++pos_;
        }
        if (at('0')) {
            ++pos_;
        } else if (!digits()) {
            return false;
        }
        if (at('.')) {
            ++pos_;
            if (!digits()) {
                return false;
            }
        }
        if (at('e') || at('E')) {
            ++pos_;
            if (at('+') || at('-')) {
                ++pos_;
            }
            if (!digits()) {
                return false;
            }
        }
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::string failure_;
};

void addMember(DomainText::Content& content, std::string_view keyText, std::string_view valueText) {
    const json name = json::parse(keyText.begin(), keyText.end(), nullptr, false);
    std::optional<std::string> key;
    if (name.is_string()) {
        key = name.get<std::string>();
        // Of two members with one name, the later counts.
        content.values.erase(*key);
        std::erase_if(content.kept, [&](const auto& member) { return member.key == key; });
    }
    json value = json::parse(valueText.begin(), valueText.end(), nullptr, false);
    if (key && !value.is_discarded()) {
        content.values[*key] = std::move(value);
    } else {
        content.kept.push_back({key, std::string(keyText), std::string(valueText)});
    }
}

} // namespace

std::variant<DomainText::Content, std::string> DomainText::read(std::string_view text) {
    Scanner scan(text);
    scan.skipSpace();
    if (scan.atEnd()) {
        return std::string("is empty");
    }
    if (!scan.at('{')) {
        if (scan.value(0)) {
            scan.skipSpace();
            if (scan.atEnd()) {
                return std::string("is not a JSON object");
            }
            scan.syntaxError();
        }
        return scan.failure();
    }
    Content content;
    scan.skip();
    scan.skipSpace();
    if (scan.at('}')) {
        scan.skip();
    } else {
        for (;;) {
            scan.skipSpace();
            const std::size_t keyStart = scan.position();
            if (!scan.string()) {
                return scan.failure();
            }
            const std::size_t keyEnd = scan.position();
            scan.skipSpace();
            if (!scan.at(':')) {
                scan.syntaxError();
                return scan.failure();
            }
            scan.skip();
            scan.skipSpace();
            const std::size_t valueStart = scan.position();
            if (!scan.value(1)) {
                return scan.failure();
            }
            addMember(content, text.substr(keyStart, keyEnd - keyStart),
                      text.substr(valueStart, scan.position() - valueStart));
            scan.skipSpace();
            if (scan.at(',')) {
                scan.skip();
                continue;
            }
            if (scan.at('}')) {
                scan.skip();
                break;
            }
            scan.syntaxError();
            return scan.failure();
        }
    }
    scan.skipSpace();
    if (!scan.atEnd()) {
        scan.syntaxError();
        return scan.failure();
    }
    return content;
}

std::string DomainText::write(const Content& content) {
    std::string out = "{";
    bool first = true;
    const auto member = [&](std::string_view key, std::string_view value) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += key;
        out += ": ";
        out += value;
    };
    for (const auto& [key, value] : content.values.items()) {
        member(json(key).dump(-1, ' ', false, json::error_handler_t::replace),
               value.dump(-1, ' ', false, json::error_handler_t::replace));
    }
    for (const auto& kept : content.kept) {
        member(kept.keyText, kept.valueText);
    }
    out += first ? "}\n" : "\n}\n";
    return out;
}

} // namespace tavrilux
