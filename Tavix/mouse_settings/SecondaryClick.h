#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace tavix {

// The system mouse's secondary-click mode.
class SecondaryClick {
  public:
    enum Value : uint8_t { right, left, off };

    constexpr SecondaryClick(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<SecondaryClick, 3> allCases() { return {right, left, off}; }
    // Exactly the raw values, case-sensitive.
    static std::optional<SecondaryClick> fromRawValue(std::string_view raw);

    // The string the system stores.
    std::string_view rawValue() const;
    std::string_view id() const { return rawValue(); }
    std::string_view title() const;

  private:
    Value value_;
};

}  // namespace tavix

template <>
struct std::hash<tavix::SecondaryClick> {
    std::size_t operator()(tavix::SecondaryClick mode) const noexcept {
        return static_cast<std::size_t>(static_cast<tavix::SecondaryClick::Value>(mode));
    }
};
