#pragma once

#include "core/services/PropertyListValue.h"
#include "core/services/ServiceFailure.h"

#include <string>
#include <string_view>

namespace tavrilux {

// The XML 1.0 form of property lists, as launch agents are written.
class XmlPropertyList final {
public:
    // The document for `root`. Fails for text that XML 1.0 cannot carry (malformed UTF-8,
    // control characters other than tab, line feed and carriage return) and for reals that are
    // not finite.
    static Result<std::string> serialize(const PropertyListValue& root);

    // The root value of a document. Accepts the declaration, a document type, comments, CDATA
    // sections, the five named entities and character references; anything else that is not a
    // well-formed property list fails, as does nesting deeper than kMaxDepth.
    static Result<PropertyListValue> parse(std::string_view document);

    static constexpr int kMaxDepth = 64;
};

} // namespace tavrilux
