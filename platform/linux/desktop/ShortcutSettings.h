#pragma once

#include <filesystem>
#include <optional>

#include "platform/linux/desktop/Trigger.h"
#include "platform/linux/output/KeyChord.h"

namespace tavix::platform::desktop {

// The chord the user has bound to a desktop shortcut right now; nothing when it is unbound,
// unreadable or not something a keyboard can type.
class ShortcutSettings {
  public:
    virtual ~ShortcutSettings() = default;
    virtual std::optional<output::KeyChord> chord(const LiveShortcut& shortcut) = 0;
};

// GNOME: GSettings, a list of accelerators ("<Super>a") per key; the first usable one.
class GnomeShortcutSettings final : public ShortcutSettings {
  public:
    std::optional<output::KeyChord> chord(const LiveShortcut& shortcut) override;
};

// KDE: kglobalshortcutsrc in the config directory, "[component]" groups of
// "action=active shortcuts,default shortcuts,description", several shortcuts split by tabs. A
// nested group is named as it is written between the outer brackets: "services][name".
class KdeShortcutSettings final : public ShortcutSettings {
  public:
    explicit KdeShortcutSettings(std::filesystem::path file) : file_(std::move(file)) {}
    std::optional<output::KeyChord> chord(const LiveShortcut& shortcut) override;

  private:
    std::filesystem::path file_;
};

}  // namespace tavix::platform::desktop
