#include "platform/linux/mouse/SwayMouseSettings.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/linux/input/MagicMouseModels.h"
#include "platform/linux/mouse/KdeMouseSettings.h"
#include "platform/linux/mouse/MouseSettingMappings.h"

namespace tavix::platform::mouse {
namespace {

using desktop::SwayInput;

bool isClone(const SwayInput& input) {
    return input.vendor == 0 && input.product == 0 &&
           input.name.ends_with(KdeMouseSettings::kCloneSuffix);
}

bool isMagicMouse(const SwayInput& input) {
    return input.vendor >= 0 && input.vendor <= 0xffff && input.product >= 0 &&
           input.product <= 0xffff &&
           input::magicMouseModel(static_cast<uint16_t>(input.vendor),
                                  static_cast<uint16_t>(input.product))
               .has_value();
}

// Three decimals, the C way whatever the locale.
std::string decimal(double value) {
    std::array<char, 32> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 3);
    return error == std::errc{} ? std::string(text.data(), end) : "0";
}

// The `input` command's setting and value; nothing for a value of the wrong type.
std::optional<std::string> inputSetting(MirroredSetting setting, const PreferenceValue& value) {
    const auto number = numberValue(value);
    const auto natural = booleanValue(value);
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            if (!number) return std::nullopt;
            return "pointer_accel " + decimal(libinputSpeedFromTracking(*number));
        case MirroredSetting::scrollSpeed:
            if (!number) return std::nullopt;
            return "scroll_factor " + decimal(wheelFactorFromScrollSpeed(*number));
        case MirroredSetting::naturalScroll:
            if (!natural) return std::nullopt;
            return std::string("natural_scroll ") + (*natural ? "enabled" : "disabled");
        case MirroredSetting::doubleClickInterval:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<SwayInput>> SwayMouseSettings::magicMice(desktop::SwayIpc& ipc) {
    const auto reply = ipc.request(desktop::SwayIpc::Message::getInputs, {});
    auto inputs = reply ? desktop::parseSwayInputs(*reply) : std::nullopt;
    if (!inputs) return std::nullopt;
    std::erase_if(*inputs, [](const SwayInput& i) { return !isClone(i) && !isMagicMouse(i); });
    std::stable_partition(inputs->begin(), inputs->end(), isClone);
    return inputs;
}

bool SwayMouseSettings::send(desktop::SwayIpc& ipc, const std::vector<SwayInput>& inputs,
                             const std::string& change) {
    bool all = true;
    for (const auto& mouse : inputs) {
        // A name Sway's command line could not take as one word is left alone.
        const auto identifier = desktop::quoteForSway(mouse.identifier);
        const auto result =
            identifier ? ipc.runCommand("input " + *identifier + " " + change) : std::nullopt;
        all = all && result && result->success;
    }
    return all;
}

std::optional<PreferenceValue> SwayMouseSettings::read(MirroredSetting setting) {
    if (setting == MirroredSetting::doubleClickInterval) return std::nullopt;
    auto ipc = connect_ ? connect_() : nullptr;
    auto mice = ipc ? magicMice(*ipc) : std::nullopt;
    if (!mice) return std::nullopt;
    if (!mice->empty() && handedOver_.insert(setting).second) {
        const auto stored = stored_ ? stored_(setting) : std::nullopt;
        const auto change = stored ? inputSetting(setting, *stored) : std::nullopt;
        if (change && send(*ipc, *mice, *change)) mice = magicMice(*ipc);
        if (!mice) return std::nullopt;
    }
    for (const auto& mouse : *mice) {
        switch (setting) {
            case MirroredSetting::trackingSpeed:
                if (mouse.accelSpeed) return trackingFromLibinputSpeed(*mouse.accelSpeed);
                break;
            case MirroredSetting::scrollSpeed:
                if (mouse.scrollFactor) return scrollSpeedFromWheelFactor(*mouse.scrollFactor);
                break;
            case MirroredSetting::naturalScroll:
                if (mouse.naturalScroll) return *mouse.naturalScroll;
                break;
            case MirroredSetting::doubleClickInterval:
                break;
        }
    }
    return std::nullopt;
}

bool SwayMouseSettings::write(MirroredSetting setting, const PreferenceValue& value) {
    const auto change = inputSetting(setting, value);
    if (!change) return false;
    auto ipc = connect_ ? connect_() : nullptr;
    const auto mice = ipc ? magicMice(*ipc) : std::nullopt;
    if (!mice || mice->empty()) return false;
    // What the user chose now is what Sway keeps from here on.
    handedOver_.insert(setting);
    // Read back: Sway answers success for a setting a device does not support.
    return send(*ipc, *mice, *change) && read(setting).has_value();
}

}  // namespace tavix::platform::mouse
