#pragma once

#include "core/localization/StringTable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace tavrilux {

struct StringsParseError final {
    std::size_t line = 0; // 1-based
    std::string message;
};

// Reads a string table in the "strings" format, UTF-8:
//
//     /* comment */  // comment
//     "key" = "value";
//     "key";              (the key is its own text)
//     plain_token = "value";
//
// Quoted strings know the escapes \" \\ \' \n \t \r \a \b \f \v, octal \ooo and \Uhhhh / \uhhhh
// (UTF-16 code units, surrogate pairs joined); any other escaped character stands for itself.
// Unquoted tokens are letters, digits and _ . $ : / + -. A later entry for the same key wins.
// A leading byte-order mark is skipped. Invalid UTF-8, an unpaired surrogate, an unterminated
// string or comment, or a missing ';' or '=' makes the whole text malformed.
class StringsFileParser final {
public:
    using Result = std::variant<StringTable, StringsParseError>;

    static Result parse(std::string_view text);
};

} // namespace tavrilux
