#include "core/services/PropertyListValue.h"

#include <algorithm>

namespace tavrilux {

PropertyListValue PropertyListValue::string(std::string text) {
    PropertyListValue value(Type::string);
    value.text_ = std::move(text);
    return value;
}

PropertyListValue PropertyListValue::boolean(bool flag) {
    PropertyListValue value(Type::boolean);
    value.boolean_ = flag;
    return value;
}

PropertyListValue PropertyListValue::integer(std::int64_t number) {
    PropertyListValue value(Type::integer);
    value.integer_ = number;
    return value;
}

PropertyListValue PropertyListValue::real(double number) {
    PropertyListValue value(Type::real);
    value.real_ = number;
    return value;
}

PropertyListValue PropertyListValue::date(std::string isoText) {
    PropertyListValue value(Type::date);
    value.text_ = std::move(isoText);
    return value;
}

PropertyListValue PropertyListValue::data(std::string base64Text) {
    PropertyListValue value(Type::data);
    value.text_ = std::move(base64Text);
    return value;
}

PropertyListValue PropertyListValue::array(std::vector<PropertyListValue> items) {
    PropertyListValue value(Type::array);
    value.items_ = std::move(items);
    return value;
}

PropertyListValue PropertyListValue::dictionary() {
    return PropertyListValue(Type::dictionary);
}

const std::string* PropertyListValue::text() const {
    switch (type_) {
    case Type::string:
    case Type::date:
    case Type::data:
        return &text_;
    default:
        return nullptr;
    }
}

std::optional<bool> PropertyListValue::asBool() const {
    return type_ == Type::boolean ? std::optional<bool>(boolean_) : std::nullopt;
}

std::optional<std::int64_t> PropertyListValue::asInteger() const {
    return type_ == Type::integer ? std::optional<std::int64_t>(integer_) : std::nullopt;
}

std::optional<double> PropertyListValue::asReal() const {
    return type_ == Type::real ? std::optional<double>(real_) : std::nullopt;
}

const std::vector<PropertyListValue>* PropertyListValue::asArray() const {
    return type_ == Type::array ? &items_ : nullptr;
}

void PropertyListValue::set(std::string key, PropertyListValue value) {
    if (type_ != Type::dictionary) {
        return;
    }
    auto it = std::find(keys_.begin(), keys_.end(), key);
    if (it != keys_.end()) {
        items_[static_cast<std::size_t>(it - keys_.begin())] = std::move(value);
        return;
    }
    keys_.push_back(std::move(key));
    items_.push_back(std::move(value));
}

const PropertyListValue* PropertyListValue::find(std::string_view key) const {
    if (type_ != Type::dictionary) {
        return nullptr;
    }
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i] == key) {
            return &items_[i];
        }
    }
    return nullptr;
}

} // namespace tavrilux
