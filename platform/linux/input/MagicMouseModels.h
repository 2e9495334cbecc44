#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tavix::platform::input {

// How a model's touch surface maps onto the framework's normalized coordinates. The kernel's
// ABS_MT_POSITION ranges come from the node itself; the size and the axis directions are ours.
// The figures are derived from the driver's constants and the mouse's outer size, not measured:
// docs/evdev-input.md says how a user with a mouse checks and corrects them here.
struct SurfaceGeometry {
    int32_t width = 0;   // across ABS_MT_POSITION_X, hundredths of a millimetre
    int32_t height = 0;  // across ABS_MT_POSITION_Y, hundredths of a millimetre
    bool flipX = false;  // normalized x grows against the kernel's X
    bool flipY = false;  // normalized y grows against the kernel's Y
};

// The Magic Mouse models the kernel's hid-magicmouse driver serves (hid-ids.h). Trackpads share
// the driver and the vendor IDs and are deliberately absent.
struct MagicMouseModel {
    uint16_t vendor = 0;
    uint16_t product = 0;
    int32_t family = 0;  // as the multitouch framework reports it: 112 first model, 113 later ones
    SurfaceGeometry geometry;
};

// The driver scales X to 90.56 mm and Y to 51.52 mm, but the mouse is far longer than wide: the
// two are taken as swapped (X ≈ 45.8 units/mm across, Y ≈ 40.2 units/mm along the mouse).
inline constexpr SurfaceGeometry kMagicMouseSurface{.width = 5152, .height = 9056};

inline constexpr std::array<MagicMouseModel, 5> kMagicMouseModels{{
    {0x05ac, 0x030d, 112, kMagicMouseSurface},  // Magic Mouse, Bluetooth
    {0x004c, 0x0269, 113, kMagicMouseSurface},  // Magic Mouse 2, Bluetooth
    {0x05ac, 0x0269, 113, kMagicMouseSurface},  // Magic Mouse 2, USB
    {0x004c, 0x0323, 113, kMagicMouseSurface},  // Magic Mouse USB-C, Bluetooth
    {0x05ac, 0x0323, 113, kMagicMouseSurface},  // Magic Mouse USB-C, USB
}};

constexpr std::optional<MagicMouseModel> magicMouseModel(uint16_t vendor, uint16_t product) {
    for (const auto& m : kMagicMouseModels)
        if (m.vendor == vendor && m.product == product) return m;
    return std::nullopt;
}

}  // namespace tavix::platform::input
