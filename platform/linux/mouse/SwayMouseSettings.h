#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/desktop/SwayIpc.h"
#include "platform/linux/mouse/DesktopMouseSettings.h"

namespace tavix::platform::mouse {

// Sway's mouse settings: tracking speed, scroll speed and natural scrolling are set on the Magic
// Mouse's inputs (its clone and the mouse itself) with Sway's `input` command over the IPC
// (pointer_accel, scroll_factor, natural_scroll) and read back from GET_INPUTS, the clone first.
// Sway keeps them for the session only; its config file is never written. With no such input
// listed, or Sway refusing, the clone applies the setting itself. Sway has no desktop-wide
// double-click interval.
class SwayMouseSettings final : public DesktopMouseSettings {
  public:
    using ConnectSway = std::function<std::unique_ptr<desktop::SwayIpc>()>;

    explicit SwayMouseSettings(ConnectSway connect = &desktop::SwayIpc::connectFromEnvironment)
        : connect_(std::move(connect)) {}

    std::optional<PreferenceValue> read(MirroredSetting setting) override;
    bool write(MirroredSetting setting, const PreferenceValue& value) override;

  private:
    // The Magic Mouse's inputs, clones first; nothing when Sway cannot be asked.
    static std::optional<std::vector<desktop::SwayInput>> magicMice(desktop::SwayIpc& ipc);

    ConnectSway connect_;
};

}  // namespace tavix::platform::mouse
