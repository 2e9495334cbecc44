#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tavix::platform::input {

// The Magic Mouse models the kernel's hid-magicmouse driver serves (hid-ids.h). Trackpads share
// the driver and the vendor IDs and are deliberately absent.
struct MagicMouseModel {
    uint16_t vendor = 0;
    uint16_t product = 0;
    int32_t family = 0;  // as the multitouch framework reports it: 112 first model, 113 later ones
};

inline constexpr std::array<MagicMouseModel, 5> kMagicMouseModels{{
    {0x05ac, 0x030d, 112},  // Magic Mouse, Bluetooth
    {0x004c, 0x0269, 113},  // Magic Mouse 2, Bluetooth
    {0x05ac, 0x0269, 113},  // Magic Mouse 2, USB
    {0x004c, 0x0323, 113},  // Magic Mouse USB-C, Bluetooth
    {0x05ac, 0x0323, 113},  // Magic Mouse USB-C, USB
}};

constexpr std::optional<MagicMouseModel> magicMouseModel(uint16_t vendor, uint16_t product) {
    for (const auto& m : kMagicMouseModels)
        if (m.vendor == vendor && m.product == product) return m;
    return std::nullopt;
}

}  // namespace tavix::platform::input
