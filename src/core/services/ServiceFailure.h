#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tavrilux {

// Why an operation of a service failed, in words fit for a log line.
struct ServiceFailure final {
    std::string description;

    friend bool operator==(const ServiceFailure&, const ServiceFailure&) = default;
};

// Either a value or the failure that prevented it.
template <typename T> class Result final {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(ServiceFailure failure) : state_(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    const T& value() const { return std::get<T>(state_); }
    const ServiceFailure& failure() const { return std::get<ServiceFailure>(state_); }

private:
    std::variant<T, ServiceFailure> state_;
};

} // namespace tavrilux
