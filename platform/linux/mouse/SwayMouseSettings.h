#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/desktop/SwayIpc.h"
#include "platform/linux/mouse/DesktopMouseSettings.h"

namespace tavix::platform::mouse {

// Sway's mouse settings: tracking speed, scroll speed and natural scrolling are set on the Magic
// Mouse's inputs (its clone and the mouse itself) with Sway's `input` command over the IPC
// (pointer_accel, scroll_factor, natural_scroll) and read back from GET_INPUTS, the clone first.
// Sway keeps them for the session only; its config file is never written. With no such input
// listed, or Sway refusing, the clone applies the setting itself. The clone appears only once
// Tavix holds the mouse, with Sway's defaults: the first time an input is listed, the stored
// choice is handed to it, so that it is not lost to them. Sway has no desktop-wide double-click
// interval.
class SwayMouseSettings final : public DesktopMouseSettings {
  public:
    using ConnectSway = std::function<std::unique_ptr<desktop::SwayIpc>()>;
    // The value Tavix has stored for a setting, if any.
    using Stored = std::function<std::optional<PreferenceValue>(MirroredSetting)>;

    explicit SwayMouseSettings(ConnectSway connect = &desktop::SwayIpc::connectFromEnvironment,
                               Stored stored = {})
        : connect_(std::move(connect)), stored_(std::move(stored)) {}

    std::optional<PreferenceValue> read(MirroredSetting setting) override;
    bool write(MirroredSetting setting, const PreferenceValue& value) override;

  private:
    // The Magic Mouse's inputs, clones first; nothing when Sway cannot be asked.
    static std::optional<std::vector<desktop::SwayInput>> magicMice(desktop::SwayIpc& ipc);
    // True when every input took the change.
    static bool send(desktop::SwayIpc& ipc, const std::vector<desktop::SwayInput>& inputs,
                     const std::string& change);

    ConnectSway connect_;
    Stored stored_;
    std::set<MirroredSetting> handedOver_;
};

}  // namespace tavix::platform::mouse
