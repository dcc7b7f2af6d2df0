#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrilux {

// One value of a property list: string, Boolean, integer, real, date, data, array or dictionary.
// Dictionaries keep their keys in insertion order; dates and data are kept as their text.
class PropertyListValue final {
public:
    enum class Type { string, boolean, integer, real, date, data, array, dictionary };

    static PropertyListValue string(std::string text);
    static PropertyListValue boolean(bool value);
    static PropertyListValue integer(std::int64_t value);
    static PropertyListValue real(double value);
    static PropertyListValue date(std::string isoText);
    static PropertyListValue data(std::string base64Text);
    static PropertyListValue array(std::vector<PropertyListValue> items = {});
    static PropertyListValue dictionary();

    Type type() const { return type_; }

    // The text of a string, date or data value; nullptr for other types.
    const std::string* text() const;
    // The string of a string value only.
    const std::string* asString() const { return type_ == Type::string ? &text_ : nullptr; }
    // A copy of the string of a string value.
    std::optional<std::string> stringValue() const {
        return type_ == Type::string ? std::optional<std::string>(text_) : std::nullopt;
    }
    std::optional<bool> asBool() const;
    std::optional<std::int64_t> asInteger() const;
    std::optional<double> asReal() const;
    const std::vector<PropertyListValue>* asArray() const;

    // Dictionary access. set() replaces the value of an existing key in place.
    void set(std::string key, PropertyListValue value);
    const PropertyListValue* find(std::string_view key) const;
    const std::vector<std::string>& keys() const { return keys_; }
    // Array items, or the dictionary's values in the order of keys().
    const std::vector<PropertyListValue>& items() const { return items_; }
    void append(PropertyListValue value) { items_.push_back(std::move(value)); }

    friend bool operator==(const PropertyListValue&, const PropertyListValue&) = default;

private:
    explicit PropertyListValue(Type type) : type_(type) {}

    Type type_;
    std::string text_;
    bool boolean_ = false;
    std::int64_t integer_ = 0;
    double real_ = 0.0;
    std::vector<std::string> keys_;
    std::vector<PropertyListValue> items_;
};

} // namespace tavrilux
