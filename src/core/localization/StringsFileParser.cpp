#include "core/localization/StringsFileParser.h"

#include <cstdint>
#include <optional>

namespace tavrilux {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '$' || c == ':' || c == '/' || c == '+' || c == '-';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Returns the 1-based line of the first invalid UTF-8 sequence, or nothing when the text is valid.
std::optional<std::size_t> firstInvalidUtf8Line(std::string_view text) {
    std::size_t line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++line;
        }
        if (byte < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t cp = 0;
        if ((byte & 0xE0) == 0xC0) {
            length = 2;
            cp = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            cp = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            cp = byte & 0x07;
        } else {
            return line;
        }
        if (i + length > text.size()) {
            return line;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return line;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) ||
                              (length == 4 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return line;
        }
        i += length;
    }
    return std::nullopt;
}

class Reader final {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    StringsFileParser::Result run() {
        StringTable::Entries entries;
        while (true) {
            if (!skipSpaceAndComments()) {
                return error_;
            }
            if (atEnd()) {
                return StringTable(std::move(entries));
            }
            auto key = readString("a key");
            if (!key) {
                return error_;
            }
            if (!skipSpaceAndComments()) {
                return error_;
            }
            std::optional<std::string> value;
            if (peek() == '=') {
                ++pos_;
                if (!skipSpaceAndComments()) {
                    return error_;
                }
                value = readString("a value after '='");
                if (!value) {
                    return error_;
                }
                if (!skipSpaceAndComments()) {
                    return error_;
                }
            }
            if (peek() != ';') {
                fail(value ? "expected ';' after the value" : "expected '=' or ';' after the key");
                return error_;
            }
            ++pos_;
            std::string text = value ? std::move(*value) : *key;
            entries.insert_or_assign(std::move(*key), std::move(text));
        }
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    void fail(std::string message) { error_ = StringsParseError{line_, std::move(message)}; }

    char advance() {
        const char c = text_[pos_++];
        if (c == '\n') {
            ++line_;
        }
        return c;
    }

    bool skipSpaceAndComments() {
        while (!atEnd()) {
            const char c = peek();
            if (isSpace(c)) {
                advance();
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
                const std::size_t startLine = line_;
                pos_ += 2;
                bool closed = false;
                while (!atEnd()) {
                    if (peek() == '*' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                        pos_ += 2;
                        closed = true;
                        break;
                    }
                    advance();
                }
                if (!closed) {
                    error_ = StringsParseError{startLine, "unterminated comment"};
                    return false;
                }
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (!atEnd() && peek() != '\n') {
                    advance();
                }
            } else {
                break;
            }
        }
        return true;
    }

    std::optional<std::string> readString(const char* what) {
        if (peek() == '"') {
            return readQuoted();
        }
        std::string token;
        while (!atEnd() && isTokenChar(peek())) {
            token += advance();
        }
        if (token.empty()) {
            fail(atEnd() ? std::string("unexpected end, expected ") + what
                         : std::string("unexpected character, expected ") + what);
            return std::nullopt;
        }
        return token;
    }

    std::optional<std::string> readQuoted() {
        const std::size_t startLine = line_;
        ++pos_; // opening quote
        std::string out;
        while (true) {
            if (atEnd()) {
                error_ = StringsParseError{startLine, "unterminated string"};
                return std::nullopt;
            }
            const char c = advance();
            if (c == '"') {
                return out;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd()) {
                error_ = StringsParseError{startLine, "unterminated string"};
                return std::nullopt;
            }
            if (!readEscape(out)) {
                return std::nullopt;
            }
        }
    }

    bool readEscape(std::string& out) {
        const char c = advance();
        switch (c) {
        case 'n':
            out += '\n';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 'a':
            out += '\a';
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'v':
            out += '\v';
            return true;
        case 'U':
        case 'u':
            return readUnicodeEscape(out);
        default:
            break;
        }
        if (c >= '0' && c <= '7') {
            unsigned value = static_cast<unsigned>(c - '0');
            for (int k = 0; k < 2 && peek() >= '0' && peek() <= '7'; ++k) {
                value = value * 8 + static_cast<unsigned>(advance() - '0');
            }
            appendUtf8(out, value);
            return true;
        }
        out += c; // \" \\ \' and any other character stand for themselves
        return true;
    }

    std::optional<std::uint32_t> readHex4() {
        std::uint32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const int digit = hexValue(peek());
            if (digit < 0) {
                fail("expected four hexadecimal digits after \\U");
                return std::nullopt;
            }
            advance();
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return value;
    }

    bool readUnicodeEscape(std::string& out) {
        auto unit = readHex4();
        if (!unit) {
            return false;
        }
        std::uint32_t cp = *unit;
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            fail("unpaired low surrogate");
            return false;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            const bool follows = pos_ + 1 < text_.size() && text_[pos_] == '\\' &&
                                 (text_[pos_ + 1] == 'U' || text_[pos_ + 1] == 'u');
            if (!follows) {
                fail("unpaired high surrogate");
                return false;
            }
            pos_ += 2;
            auto low = readHex4();
            if (!low) {
                return false;
            }
            if (*low < 0xDC00 || *low > 0xDFFF) {
                fail("unpaired high surrogate");
                return false;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
        }
        appendUtf8(out, cp);
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    StringsParseError error_;
};

} // namespace

StringsFileParser::Result StringsFileParser::parse(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    if (auto line = firstInvalidUtf8Line(text)) {
        return StringsParseError{*line, "the text is not valid UTF-8"};
    }
    return Reader(text).run();
}

} // namespace tavrilux
