#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/LoginItems.h"

namespace tavix::platform {

// The login item as an XDG autostart entry, `$XDG_CONFIG_HOME/autostart/tavix.desktop`, whose Exec
// is the program's absolute path. Enabled exactly when the entry exists and is neither
// `Hidden=true` nor `X-GNOME-Autostart-enabled=false` (what session managers honour). The entry
// is read back through GLib before it replaces the old one atomically, so an entry that no
// desktop would start is never written; unregistering removes it.
class XdgAutostart final : public LoginItems {
  public:
    // Without an entry path, the one the environment names is taken at each call.
    explicit XdgAutostart(std::string executable,
                          std::optional<std::filesystem::path> entry = std::nullopt);

    // $XDG_CONFIG_HOME (absolute) or ~/.config, then autostart/tavix.desktop.
    static std::optional<std::filesystem::path> defaultEntry();
    // One argument of an Exec key, quoted and escaped by the Desktop Entry rules; nothing for a
    // text no entry can hold for GLib (control characters, %, bytes that are not UTF-8).
    static std::optional<std::string> execArgument(const std::string& argument);

    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;
    LoginItemStatus status() override;

  private:
    std::optional<std::filesystem::path> entry() const;

    std::string executable_;
    std::optional<std::filesystem::path> entry_;
};

}  // namespace tavix::platform
