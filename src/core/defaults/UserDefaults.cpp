#include "core/defaults/UserDefaults.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tavrilux {

namespace {

using nlohmann::json;

std::optional<double> exactDouble(const json& value) {
    if (value.is_number_float()) {
        return value.get<double>();
    }
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        const auto d = static_cast<double>(u);
        if (d < 18446744073709551616.0 && static_cast<std::uint64_t>(d) == u) {
            return d;
        }
        return std::nullopt;
    }
    if (value.is_number_integer()) {
        const auto i = value.get<std::int64_t>();
        const auto d = static_cast<double>(i);
        if (d < 9223372036854775808.0 && static_cast<std::int64_t>(d) == i) {
            return d;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::string decimalText(const json& number) {
    if (!number.is_number_float()) {
        return number.dump(); // integers print exactly
    }
    const double d = number.get<double>();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15) {
        return std::to_string(static_cast<long long>(d));
    }
    return number.dump(); // shortest text that reads back to the same double
}

} // namespace

UserDefaults::UserDefaults(std::unique_ptr<DomainStorage> storage,
                           std::chrono::milliseconds coalesce)
    : storage_(std::move(storage)), coalesce_(coalesce) {
    StoredText stored = storage_->load();
    if (stored.state == StoredText::State::absent) {
        return;
    }
    std::string why;
    if (stored.state == StoredText::State::present) {
        auto read = DomainText::read(stored.content);
        if (auto* content = std::get_if<DomainText::Content>(&read)) {
            content_ = std::move(*content);
            return;
        }
        why = std::get<std::string>(std::move(read));
    } else {
        why = std::move(stored.content);
    }
    if (storage_->setAside()) {
        std::fprintf(stderr, "tavrilux: %s %s; kept aside, starting empty\n",
                     storage_->location().c_str(), why.c_str());
    } else {
        // Writing now would destroy what could not be read: this run keeps its settings in
        // memory only.
        unwritable_ = true;
        std::fprintf(stderr,
                     "tavrilux: %s %s and cannot be set aside (%s); settings are not saved in "
                     "this run\n",
                     storage_->location().c_str(), why.c_str(), storage_->lastError().c_str());
    }
}

UserDefaults::~UserDefaults() {
    flush();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
}

const nlohmann::json* UserDefaults::find(std::string_view key) const {
    auto it = content_.values.find(key);
    return it == content_.values.end() ? nullptr : &*it;
}

bool UserDefaults::dropKept(std::string_view key) {
    return std::erase_if(content_.kept, [&](const auto& member) { return member.key == key; }) > 0;
}

bool UserDefaults::hasValue(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const json* value = find(key);
    return (value != nullptr && !value->is_null()) ||
           std::any_of(content_.kept.begin(), content_.kept.end(),
                       [&](const auto& member) { return member.key == key; });
}

std::optional<nlohmann::json> UserDefaults::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const json* value = find(key);
    if (value == nullptr || value->is_null()) {
        return std::nullopt;
    }
    return *value;
}

std::optional<bool> UserDefaults::boolValue(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const json* it = find(key);
    if (it == nullptr) {
        return std::nullopt;
    }
    if (it->is_boolean()) {
        return it->get<bool>();
    }
    if (auto number = exactDouble(*it)) {
        if (*number == 0.0) {
            return false;
        }
        if (*number == 1.0) {
            return true;
        }
    }
    return std::nullopt;
}

std::optional<double> UserDefaults::doubleValue(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const json* it = find(key);
    if (it == nullptr) {
        return std::nullopt;
    }
    return exactDouble(*it);
}

std::optional<std::string> UserDefaults::stringValue(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const json* it = find(key);
    if (it == nullptr) {
        return std::nullopt;
    }
    if (it->is_string()) {
        return it->get<std::string>();
    }
    if (it->is_number()) {
        return decimalText(*it);
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayValue(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const json* it = find(key);
    if (it == nullptr || !it->is_array()) {
        return std::nullopt;
    }
    std::vector<std::string> result;
    result.reserve(it->size());
    for (const auto& element : *it) {
        if (!element.is_string()) {
            return std::nullopt;
        }
        result.push_back(element.get<std::string>());
    }
    return result;
}

void UserDefaults::setBool(std::string_view key, bool value) {
    put(key, value);
}

void UserDefaults::setDouble(std::string_view key, double value) {
    // JSON has no NaN or infinity; null reads back as absent, in memory and from the file alike.
    put(key, std::isfinite(value) ? json(value) : json(nullptr));
}

void UserDefaults::setString(std::string_view key, std::string value) {
    put(key, std::move(value));
}

void UserDefaults::setStringArray(std::string_view key, const std::vector<std::string>& value) {
    put(key, json(value));
}

void UserDefaults::remove(std::string_view key) {
    {
        std::lock_guard lock(mutex_);
        const bool kept = dropKept(key);
        if (content_.values.erase(std::string(key)) == 0 && !kept) {
            return;
        }
        ++version_;
        ensureWriter();
    }
    wake_.notify_one();
}

void UserDefaults::put(std::string_view key, nlohmann::json value) {
    {
        std::lock_guard lock(mutex_);
        dropKept(key);
        content_.values[std::string(key)] = std::move(value);
        ++version_;
        ensureWriter();
    }
    wake_.notify_one();
}

void UserDefaults::ensureWriter() {
    if (unwritable_) {
        storedVersion_ = version_; // nothing goes out, and nobody waits for it
        return;
    }
    if (!writer_.joinable()) {
        writer_ = std::thread([this] { writerLoop(); });
    }
}

void UserDefaults::flush() {
    std::unique_lock lock(mutex_);
    const auto target = version_;
    if (storedVersion_ >= target) {
        return;
    }
    flushRequested_ = true;
    wake_.notify_all();
    stored_.wait(lock, [&] { return storedVersion_ >= target; });
}

std::uint64_t UserDefaults::storeCount() const {
    std::lock_guard lock(mutex_);
    return storeCount_;
}

void UserDefaults::writerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || version_ != storedVersion_; });
        if (version_ == storedVersion_) {
            return; // stopping with nothing left to write
        }
        // Coalesce a burst of writes into one store, unless someone waits for it.
        if (!flushRequested_ && !stopping_) {
            wake_.wait_for(lock, coalesce_, [&] { return flushRequested_ || stopping_; });
        }
        flushRequested_ = false;
        const auto version = version_;
        const std::string text = DomainText::write(content_);
        lock.unlock();
        const bool ok = storage_->store(text);
        const std::string error = ok ? std::string() : storage_->lastError();
        lock.lock();
        ++storeCount_;
        storedVersion_ = version;
        if (!ok && !failureReported_) {
            failureReported_ = true;
            std::fprintf(stderr, "tavrilux: cannot save settings to %s: %s\n",
                         storage_->location().c_str(), error.c_str());
        } else if (ok) {
            failureReported_ = false;
        }
        stored_.notify_all();
    }
}

} // namespace tavrilux
