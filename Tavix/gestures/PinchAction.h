#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace tavix {

// What the three-finger pinch opens.
class PinchAction {
  public:
    enum Value : uint8_t { apps, missionControl, spotlight, showDesktop };

    constexpr PinchAction(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<PinchAction, 4> allCases() {
        return {apps, missionControl, spotlight, showDesktop};
    }
    // Exactly the raw values, case-sensitive.
    static std::optional<PinchAction> fromRawValue(std::string_view raw);

    std::string_view rawValue() const;
    std::string_view id() const { return rawValue(); }
    std::string_view title() const;

  private:
    Value value_;
};

}  // namespace tavix

template <>
struct std::hash<tavix::PinchAction> {
    std::size_t operator()(tavix::PinchAction action) const noexcept {
        return static_cast<std::size_t>(static_cast<tavix::PinchAction::Value>(action));
    }
};
