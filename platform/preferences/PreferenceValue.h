#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace tavix::platform {

// The property-list types the system mouse preferences use.
using PreferenceValue = std::variant<bool, std::int64_t, double, std::string>;

// An integer or a finite real; a boolean is not a number. A stored NaN or infinity (which other
// tools can write) reads as no number at all, leaving the stored value as it is.
inline std::optional<double> numberValue(const std::optional<PreferenceValue>& value) {
    if (!value) return std::nullopt;
    if (const auto* integer = std::get_if<std::int64_t>(&*value)) {
        return static_cast<double>(*integer);
    }
    if (const auto* real = std::get_if<double>(&*value); real && std::isfinite(*real)) {
        return *real;
    }
    return std::nullopt;
}

// A boolean, or a number that is exactly 0 or 1 (the numbers the system itself treats as
// booleans); nothing else converts.
inline std::optional<bool> booleanValue(const std::optional<PreferenceValue>& value) {
    if (!value) return std::nullopt;
    if (const auto* boolean = std::get_if<bool>(&*value)) return *boolean;
    const auto number = numberValue(value);
    if (number == 0.0) return false;
    if (number == 1.0) return true;
    return std::nullopt;
}

inline std::optional<std::string> stringValue(const std::optional<PreferenceValue>& value) {
    if (!value) return std::nullopt;
    if (const auto* string = std::get_if<std::string>(&*value)) return *string;
    return std::nullopt;
}

}  // namespace tavix::platform
