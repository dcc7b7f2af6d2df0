#include "core/services/XmlPropertyList.h"

#include "core/services/Utf8.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace tavrilux {

namespace {

bool isXmlChar(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

std::optional<std::string> escaped(std::string_view text) {
    auto codePoints = utf8::decode(text);
    if (!codePoints) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : *codePoints) {
        if (!isXmlChar(cp)) {
            return std::nullopt;
        }
        switch (cp) {
        case U'&':
            out += "&amp;";
            break;
        case U'<':
            out += "&lt;";
            break;
        case U'>':
            out += "&gt;";
            break;
        case U'\r':
            out += "&#13;"; // a literal one would read back as a line feed
            break;
        default:
            utf8::append(out, cp);
        }
    }
    return out;
}

std::string realText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool write(const PropertyListValue& value, int depth, std::string& out, std::string& error) {
    if (depth > XmlPropertyList::kMaxDepth) {
        error = "property list nested too deeply";
        return false;
    }
    const std::string indent(static_cast<std::size_t>(depth), '\t');
    auto textElement = [&](const char* tag, const std::string& text) {
        auto body = escaped(text);
        if (!body) {
            error = "text that XML cannot carry";
            return false;
        }
        out += indent + "<" + tag + ">" + *body + "</" + tag + ">\n";
        return true;
    };
    switch (value.type()) {
    case PropertyListValue::Type::string:
        return textElement("string", *value.text());
    case PropertyListValue::Type::date:
        return textElement("date", *value.text());
    case PropertyListValue::Type::data:
        return textElement("data", *value.text());
    case PropertyListValue::Type::boolean:
        out += indent + (*value.asBool() ? "<true/>\n" : "<false/>\n");
        return true;
    case PropertyListValue::Type::integer:
        out += indent + "<integer>" + std::to_string(*value.asInteger()) + "</integer>\n";
        return true;
    case PropertyListValue::Type::real:
        if (!std::isfinite(*value.asReal())) {
            error = "a real that is not finite";
            return false;
        }
        out += indent + "<real>" + realText(*value.asReal()) + "</real>\n";
        return true;
    case PropertyListValue::Type::array:
        if (value.items().empty()) {
            out += indent + "<array/>\n";
            return true;
        }
        out += indent + "<array>\n";
        for (const auto& item : value.items()) {
            if (!write(item, depth + 1, out, error)) {
                return false;
            }
        }
        out += indent + "</array>\n";
        return true;
    case PropertyListValue::Type::dictionary:
        if (value.keys().empty()) {
            out += indent + "<dict/>\n";
            return true;
        }
        out += indent + "<dict>\n";
        for (std::size_t i = 0; i < value.keys().size(); ++i) {
            auto key = escaped(value.keys()[i]);
            if (!key) {
                error = "a key that XML cannot carry";
                return false;
            }
            out += indent + "\t<key>" + *key + "</key>\n";
            if (!write(value.items()[i], depth + 1, out, error)) {
                return false;
            }
        }
        out += indent + "</dict>\n";
        return true;
    }
    return false;
}

// A small pull parser for the subset of XML that property lists use.
class Parser final {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    Result<PropertyListValue> document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
            pos_ = 3;
        }
        if (!utf8::decode(text_.substr(pos_))) {
            return fail("not UTF-8");
        }
        skipMisc();
        Tag root;
        if (!readTag(root) || root.closing || root.name != "plist") {
            return fail("no plist element");
        }
        if (root.selfClosing) {
            return fail("empty plist element");
        }
        skipMisc();
        Tag first;
        if (!readTag(first) || first.closing) {
            return fail("plist holds no value");
        }
        auto value = parseValue(first, 1);
        if (!value) {
            return fail(error_);
        }
        skipMisc();
        Tag end;
        if (!readTag(end) || !end.closing || end.name != "plist") {
            return fail("plist holds more than one value");
        }
        skipMisc();
        if (pos_ != text_.size()) {
            return fail("content after the plist element");
        }
        return std::move(*value);
    }

private:
    struct Tag {
        std::string name;
        bool closing = false;
        bool selfClosing = false;
    };

    static Result<PropertyListValue> fail(const std::string& why) {
        return ServiceFailure{"malformed property list: " + why};
    }

    bool startsWith(std::string_view prefix) const {
        return text_.substr(pos_, prefix.size()) == prefix;
    }

    bool skipPast(std::string_view terminator) {
        const auto at = text_.find(terminator, pos_);
        if (at == std::string_view::npos) {
            pos_ = text_.size();
            return false;
        }
        pos_ = at + terminator.size();
        return true;
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    // Whitespace, comments, processing instructions and the document type.
    void skipMisc() {
        for (;;) {
            while (pos_ < text_.size() && isSpace(text_[pos_])) {
                ++pos_;
            }
            if (startsWith("<!--")) {
                skipPast("-->");
            } else if (startsWith("<?")) {
                skipPast("?>");
            } else if (startsWith("<!DOCTYPE")) {
                skipPast(">");
            } else {
                return;
            }
        }
    }

    bool readTag(Tag& tag) {
        if (!startsWith("<") || startsWith("<!") || startsWith("<?")) {
            return false;
        }
        ++pos_;
        if (startsWith("/")) {
            tag.closing = true;
            ++pos_;
        }
        const auto nameStart = pos_;
        while (pos_ < text_.size() && !isSpace(text_[pos_]) && text_[pos_] != '>' &&
               text_[pos_] != '/') {
            ++pos_;
        }
        tag.name = std::string(text_.substr(nameStart, pos_ - nameStart));
        if (tag.name.empty()) {
            return false;
        }
        // Attributes are allowed (plist version) but not used; quotes may hide a '>'.
        char quote = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (quote != 0) {
                if (c == quote) {
                    quote = 0;
                }
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                tag.selfClosing = pos_ > 0 && text_[pos_ - 1] == '/';
                ++pos_;
                return !(tag.closing && tag.selfClosing);
            } else if (c == '<') {
                return false;
            }
            ++pos_;
        }
        return false;
    }

    // Character data up to the closing tag `name`, with references resolved.
    std::optional<std::string> readText(const std::string& name) {
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) {
                error_ = "unterminated <" + name + ">";
                return std::nullopt;
            }
            if (startsWith("<![CDATA[")) {
                pos_ += 9;
                const auto end = text_.find("]]>", pos_);
                if (end == std::string_view::npos) {
                    error_ = "unterminated CDATA section";
                    return std::nullopt;
                }
                out += text_.substr(pos_, end - pos_);
                pos_ = end + 3;
                continue;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->")) {
                    error_ = "unterminated comment";
                    return std::nullopt;
                }
                continue;
            }
            const char c = text_[pos_];
            if (c == '<') {
                Tag end;
                if (!readTag(end) || !end.closing || end.name != name) {
                    error_ = "unexpected markup inside <" + name + ">";
                    return std::nullopt;
                }
                return out;
            }
            if (c == '&') {
                if (!readReference(out)) {
                    error_ = "bad reference inside <" + name + ">";
                    return std::nullopt;
                }
                continue;
            }
            if (c == '\r') {
                // XML turns CR LF and lone CR into LF.
                out.push_back('\n');
                ++pos_;
                if (startsWith("\n")) {
                    ++pos_;
                }
                continue;
            }
            out.push_back(c);
            ++pos_;
        }
    }

    bool readReference(std::string& out) {
        const auto end = text_.find(';', pos_);
        if (end == std::string_view::npos || end - pos_ > 12) {
            return false;
        }
        const auto name = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        if (name == "lt") {
            out += '<';
        } else if (name == "gt") {
            out += '>';
        } else if (name == "amp") {
            out += '&';
        } else if (name == "quot") {
            out += '"';
        } else if (name == "apos") {
            out += '\'';
        } else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x';
            const auto digits = name.substr(hex ? 2 : 1);
            std::uint32_t cp = 0;
            const auto result =
                std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || result.ec != std::errc() ||
                result.ptr != digits.data() + digits.size() || !isXmlChar(cp)) {
                return false;
            }
            return utf8::append(out, cp);
        } else {
            return false;
        }
        return true;
    }

    std::optional<PropertyListValue> parseValue(const Tag& tag, int depth) {
        if (depth > XmlPropertyList::kMaxDepth) {
            error_ = "nested too deeply";
            return std::nullopt;
        }
        const std::string& name = tag.name;
        if (name == "true" || name == "false") {
            if (!tag.selfClosing) {
                Tag end;
                skipSpace();
                if (!readTag(end) || !end.closing || end.name != name) {
                    error_ = "bad <" + name + ">";
                    return std::nullopt;
                }
            }
            return PropertyListValue::boolean(name == "true");
        }
        if (name == "string" || name == "date" || name == "data" || name == "integer" ||
            name == "real") {
            std::string text;
            if (!tag.selfClosing) {
                auto read = readText(name);
                if (!read) {
                    return std::nullopt;
                }
                text = std::move(*read);
            }
            if (name == "string") {
                return PropertyListValue::string(std::move(text));
            }
            if (name == "date") {
                return PropertyListValue::date(std::move(text));
            }
            if (name == "data") {
                return PropertyListValue::data(std::move(text));
            }
            return number(name, text);
        }
        if (name == "array") {
            auto array = PropertyListValue::array();
            if (tag.selfClosing) {
                return array;
            }
            for (;;) {
                skipMisc();
                Tag next;
                if (!readTag(next)) {
                    error_ = "bad content in <array>";
                    return std::nullopt;
                }
                if (next.closing) {
                    if (next.name != "array") {
                        error_ = "mismatched </" + next.name + ">";
                        return std::nullopt;
                    }
                    return array;
                }
                auto item = parseValue(next, depth + 1);
                if (!item) {
                    return std::nullopt;
                }
                array.append(std::move(*item));
            }
        }
        if (name == "dict") {
            auto dict = PropertyListValue::dictionary();
            if (tag.selfClosing) {
                return dict;
            }
            for (;;) {
                skipMisc();
                Tag keyTag;
                if (!readTag(keyTag)) {
                    error_ = "bad content in <dict>";
                    return std::nullopt;
                }
                if (keyTag.closing) {
                    if (keyTag.name != "dict") {
                        error_ = "mismatched </" + keyTag.name + ">";
                        return std::nullopt;
                    }
                    return dict;
                }
                if (keyTag.name != "key") {
                    error_ = "<dict> entry without <key>";
                    return std::nullopt;
                }
                std::string key;
                if (!keyTag.selfClosing) {
                    auto read = readText("key");
                    if (!read) {
                        return std::nullopt;
                    }
                    key = std::move(*read);
                }
                skipMisc();
                Tag valueTag;
                if (!readTag(valueTag) || valueTag.closing) {
                    error_ = "<key> without a value";
                    return std::nullopt;
                }
                auto value = parseValue(valueTag, depth + 1);
                if (!value) {
                    return std::nullopt;
                }
                dict.set(std::move(key), std::move(*value));
            }
        }
        error_ = "unknown element <" + name + ">";
        return std::nullopt;
    }

    std::optional<PropertyListValue> number(const std::string& name, const std::string& raw) {
        auto begin = raw.find_first_not_of(" \t\n");
        auto last = raw.find_last_not_of(" \t\n");
        const std::string text =
            begin == std::string::npos ? "" : raw.substr(begin, last - begin + 1);
        const char* first = text.data();
        const char* end = text.data() + text.size();
        if (!text.empty() && *first == '+') {
            ++first;
        }
        if (name == "integer") {
            std::int64_t value = 0;
            const auto result = std::from_chars(first, end, value);
            if (text.empty() || result.ec != std::errc() || result.ptr != end) {
                error_ = "bad <integer>";
                return std::nullopt;
            }
            return PropertyListValue::integer(value);
        }
        double value = 0.0;
        const auto result = std::from_chars(first, end, value);
        if (text.empty() || result.ec != std::errc() || result.ptr != end) {
            error_ = "bad <real>";
            return std::nullopt;
        }
        return PropertyListValue::real(value);
    }

    void skipSpace() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string error_;
};

} // namespace

Result<std::string> XmlPropertyList::serialize(const PropertyListValue& root) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    std::string error;
    if (!write(root, 0, out, error)) {
        return ServiceFailure{"cannot write property list: " + error};
    }
    out += "</plist>\n";
    return out;
}

Result<PropertyListValue> XmlPropertyList::parse(std::string_view document) {
    return Parser(document).document();
}

} // namespace tavrilux
