#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace tavix {

// How a two-finger zoom reaches the desktop.
class ZoomMode {
  public:
    enum Value : uint8_t { native, keyboard };

    constexpr ZoomMode(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<ZoomMode, 2> allCases() { return {native, keyboard}; }
    // Exactly the raw values, case-sensitive.
    static std::optional<ZoomMode> fromRawValue(std::string_view raw);

    std::string_view rawValue() const;
    std::string_view id() const { return rawValue(); }
    std::string_view title() const;

  private:
    Value value_;
};

}  // namespace tavix

template <>
struct std::hash<tavix::ZoomMode> {
    std::size_t operator()(tavix::ZoomMode mode) const noexcept {
        return static_cast<std::size_t>(static_cast<tavix::ZoomMode::Value>(mode));
    }
};
